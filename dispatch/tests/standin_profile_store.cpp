// A stand-in for the commands library's profile store in the dispatcher's tests: the write and
// read entries pass straight to the platform's initialisation-file functions, as the store does
// for files other than the application's profile.
#include <windows.h>

extern "C" __declspec(dllexport) int MyWritePrivateProfileString(const char* section, const char* key,
                                                                 const char* text, const char* file)
{
    return WritePrivateProfileStringA(section, key, text, file) ? 1 : 0;
}

extern "C" __declspec(dllexport) int MyGetPrivateProfileString(const char* section, const char* key,
                                                               const char* fallback, char* buffer, int size,
                                                               const char* file)
{
    return int(GetPrivateProfileStringA(section, key, fallback, buffer, DWORD(size), file));
}
