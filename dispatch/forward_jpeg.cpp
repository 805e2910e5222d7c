// The JPEG library's forwarders and the named mutex "KELJPEG" that makes calls into it one at a
// time across threads and processes; the dispatcher's start-up entry, which creates the mutex.
#include "kelint.h"
#include "library_table.h"

using namespace kelint;

namespace {

constexpr DWORD kJpegWaitMs = 10000;
HANDLE g_jpegMutex;

// How a call gives the mutex back.
enum class Release {
    Once,
    OnFailure, // the information entry keeps it on success, until the image is opened
    All,       // the open entry gives up every ownership the thread holds
};

template <typename R, typename... A> R jpegCall(size_t index, Release release, A... args)
{
    Library& lib = library(Lib::Jpg);
    if (!ensureLoaded(lib))
        return R();
    const DWORD wait = WaitForSingleObject(g_jpegMutex, kJpegWaitMs);
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED)
        return R();
    auto fn = entry<R (*)(A...)>(lib, index);
    const R result = fn ? fn(args...) : R();
    switch (release) {
    case Release::Once: ReleaseMutex(g_jpegMutex); break;
    case Release::OnFailure:
        if (!result)
            ReleaseMutex(g_jpegMutex);
        break;
    case Release::All:
        while (ReleaseMutex(g_jpegMutex)) {
        }
        break;
    }
    return result;
}

using InitJpegFn = int (*)(HWND frame, HINSTANCE instance, const char* helpFile, int autoDither);

int initJpegLibrary(const Library& lib)
{
    auto init = entry<InitJpegFn>(lib, entryOf(kJpgEntries, "InitJPEGDll"));
    AppState* a = app();
    return init ? init(a ? a->frameWnd : nullptr, a ? a->appInstance : nullptr, a ? a->helpFile : "",
                       a ? a->autoDither : 0)
                : 0;
}

} // namespace

namespace kelint {

bool initJpg(Library& lib)
{
    initJpegLibrary(lib);
    return true;
}

} // namespace kelint

int InitKelInt(AppState* app)
{
    setApp(app);
    if (!g_jpegMutex) {
        g_jpegMutex = CreateMutexA(nullptr, TRUE, "KELJPEG");
        if (!g_jpegMutex)
            return 0;
        ReleaseMutex(g_jpegMutex);
    }
    return 1;
}

void ClearMutex(void)
{
    if (g_jpegMutex)
        ReleaseMutex(g_jpegMutex);
}

HGLOBAL ReadJPEGBitmapInfo(JpegOptions* options, HANDLE file, int smoothing, int twoPass, int colourResolution,
                           char* format)
{
    return jpegCall<HGLOBAL>(entryOf(kJpgEntries, "ReadJPEGBitmapInfo"), Release::OnFailure, options, file, smoothing,
                             twoPass, colourResolution, format);
}
HGLOBAL OpenJPEG(JpegOptions* options, const char* path)
{
    return jpegCall<HGLOBAL>(entryOf(kJpgEntries, "OpenJPEG"), Release::All, options, path);
}
int WriteJPEG(const char* path, HGLOBAL dib, JpegOptions* options)
{
    return jpegCall<int>(entryOf(kJpgEntries, "WriteJPEG"), Release::Once, path, dib, options);
}
HGLOBAL ReadJPEGMem(const void* data, DWORD size)
{
    return jpegCall<HGLOBAL>(entryOf(kJpgEntries, "ReadJPEGMem"), Release::Once, data, size);
}
DWORD WriteJPEGMem(HGLOBAL dib, const JpegOptions* options, void* buffer, DWORD size)
{
    return jpegCall<DWORD>(entryOf(kJpgEntries, "WriteJPEGMem"), Release::Once, dib, options, buffer, size);
}

// The library's own initialisation again, with the current application state.
int InitJPEGDll(void)
{
    Library& lib = library(Lib::Jpg);
    if (!ensureLoaded(lib))
        return 0;
    const DWORD wait = WaitForSingleObject(g_jpegMutex, kJpegWaitMs);
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED)
        return 0;
    const int result = initJpegLibrary(lib);
    ReleaseMutex(g_jpegMutex);
    return result;
}
