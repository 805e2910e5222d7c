#include "standin_dir.h"

#include "kelint.h"

namespace dispatch_test {

namespace {

std::string besideTestProgram(const char* file)
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string p(path);
    return p.substr(0, p.find_last_of('\\') + 1) + file;
}

} // namespace

std::string env(const char* name)
{
    static char buffer[32767];
    const DWORD n = GetEnvironmentVariableA(name, buffer, sizeof buffer);
    return n && n < sizeof buffer ? std::string(buffer, n) : std::string();
}

void clearRecords()
{
    for (const char* v : {"KEL_STANDIN_CALLS", "KEL_STANDIN_LOADS", "KEL_STANDIN_UNLOADS", "KEL_STANDIN_RESULT"})
        SetEnvironmentVariableA(v, nullptr);
}

std::string calls() { return env("KEL_STANDIN_CALLS"); }

StandinDir::StandinDir(std::initializer_list<const char*> files, const std::string& subdir)
{
    FreeDlls();
    clearRecords();
    path_ = temp_.path() + "\\";
    if (!subdir.empty()) {
        path_ += subdir + "\\";
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    CopyFileA(besideTestProgram("standin.dll").c_str(), (path_ + "anchor.dll").c_str(), FALSE);
    for (const char* f : files)
        add(f);
    anchor_ = LoadLibraryA((path_ + "anchor.dll").c_str());
    app_ = kt::testApp();
    app_.appInstance = anchor_;
    InitKelInt(&app_);
    clearRecords();
}

StandinDir::~StandinDir()
{
    FreeDlls();
    if (anchor_)
        FreeLibrary(anchor_);
    InitKelInt(&kt::testApp());
    clearRecords();
}

void StandinDir::add(const char* file, bool withoutVersionEntry)
{
    const char* source = withoutVersionEntry ? "standin_noversion.dll" : "standin.dll";
    CopyFileA(besideTestProgram(source).c_str(), (path_ + file).c_str(), FALSE);
}

HMODULE StandinDir::loaded(const char* file) const { return GetModuleHandleA((path_ + file).c_str()); }

} // namespace dispatch_test
