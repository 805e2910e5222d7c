// The window helpers on real windows, menus and records: GetDIBhInfo, FreeDib, ChangeMDIMenu and
// EnableWindowAndOptionsMenus.
#include "image_record.h"
#include "kel_messages.h"
#include "kelcat.h"
#include "metafile_picture.h"
#include "play_list.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <vector>

namespace {

struct Init {
    Init() { InitCatDll(&kt::testApp()); }
} g_init;

// A window class with room for the record index in its class word 14 and three window longs.
const char* recordClass()
{
    static const char* name = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "KtRecordWindow";
        wc.cbClsExtra = 20;
        wc.cbWndExtra = 3 * int(sizeof(LONG_PTR));
        RegisterClassA(&wc);
        return wc.lpszClassName;
    }();
    return name;
}

struct Window {
    HWND h;
    explicit Window(const char* cls) : h(CreateWindowA(cls, "", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr,
                                                       GetModuleHandleA(nullptr), nullptr))
    {
    }
    ~Window()
    {
        if (IsWindow(h))
            DestroyWindow(h);
    }
};

HGLOBAL block(size_t bytes) { return GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes); }
bool blockAlive(HGLOBAL h) { return GlobalFlags(h) != GMEM_INVALID_HANDLE; }
bool gdiAlive(HGDIOBJ h) { return GetObjectType(h) != 0; }

HPALETTE smallPalette()
{
    struct {
        WORD version, count;
        PALETTEENTRY e[2];
    } p{0x300, 2, {{0, 0, 0, 0}, {255, 255, 255, 0}}};
    return CreatePalette(reinterpret_cast<LOGPALETTE*>(&p));
}

std::atomic<bool> g_loaded;
DWORD WINAPI slowLoad(void*)
{
    Sleep(50);
    g_loaded = true;
    return 0;
}

HWND g_cover;
HANDLE g_coverReady;
DWORD WINAPI coverThread(void*)
{
    g_cover = CreateWindowA(recordClass(), "cover", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
    SetEvent(g_coverReady);
    MSG msg;
    while (IsWindow(g_cover) && GetMessageA(&msg, nullptr, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}

} // namespace

TEST(GetDIBhInfo, ReadsTheWindowLongTheClassNames)
{
    EXPECT_EQ(nullptr, GetDIBhInfo(nullptr));
    Window w(recordClass());
    ASSERT_TRUE(w.h);
    const LONG_PTR handles[] = {0x1234, 0x5678, 0x9ABC};
    for (int i = 0; i < 3; ++i)
        SetWindowLongPtrA(w.h, i * int(sizeof(LONG_PTR)), handles[i]);
    for (int i = 0; i < 3; ++i) {
        const WORD index = WORD(i * sizeof(LONG_PTR));
        SetClassWord(w.h, 14, index);
        EXPECT_EQ(reinterpret_cast<HGLOBAL>(handles[i]), GetDIBhInfo(w.h)) << "class word 14 = " << index;
    }
    SetClassWord(w.h, 14, 0);
}

TEST(FreeDib, ReleasesEveryHandleOnceAndResetsTheRecord)
{
    HGLOBAL recordBlock = block(sizeof(ImageRecord));
    auto* r = static_cast<ImageRecord*>(GlobalLock(recordBlock));
    r->image = block(100);
    r->header = r->image; // a header copy that is the image itself is freed once
    r->displayImage = block(100);
    r->undoImage = block(100);
    r->undoDisplayImage = block(100);
    r->techInfo = block(100);
    r->palette = smallPalette();
    r->undoPalette = smallPalette();
    r->deviceBitmap = CreateBitmap(4, 4, 1, 1, nullptr);
    r->previousBitmap = CreateBitmap(4, 4, 1, 1, nullptr);
    r->pattern = CreateBitmap(8, 8, 1, 1, nullptr);
    r->backgroundBrush = CreateSolidBrush(RGB(1, 2, 3));
    SetRect(&r->marquee, 1, 2, 3, 4);
    SetRect(&r->pasteTarget, 5, 6, 7, 8);

    HDC mdc = CreateMetaFileA(nullptr);
    Rectangle(mdc, 0, 0, 10, 10);
    HMETAFILE mf = CloseMetaFile(mdc);
    r->metafile = block(sizeof(MetafilePicture));
    auto* m = static_cast<MetafilePicture*>(GlobalLock(r->metafile));
    const METAFILEPICT mfp{MM_ANISOTROPIC, 0, 0, mf};
    std::memcpy(reinterpret_cast<char*>(m) + offsetof(MetafilePicture, picture), &mfp, sizeof mfp);
    m->metafile = mf;
    GlobalUnlock(r->metafile);
    HGLOBAL metafileRecord = r->metafile;

    r->animation = block(playListBytes(2));
    auto* list = GlobalLock(r->animation);
    reinterpret_cast<PlayListHeader*>(list)->count = 2;
    PlayFrame* image = playFrame(list, 0);
    image->kind = kFrameImage;
    image->handle = CreateBitmap(4, 4, 1, 1, nullptr);
    image->palette = smallPalette();
    PlayFrame* text = playFrame(list, 1);
    text->kind = kFrameText;
    text->handle = block(16);
    const HANDLE frameBitmap = image->handle, framePalette = image->palette, frameText = text->handle;
    GlobalUnlock(r->animation);
    HGLOBAL animation = r->animation;

    // A load thread still at work: FreeDib waits for it.
    g_loaded = false;
    r->loadThread = CreateThread(nullptr, 0, slowLoad, nullptr, 0, nullptr);

    const std::vector<HGDIOBJ> gdi = {r->palette, r->undoPalette, r->deviceBitmap, r->previousBitmap, r->pattern,
                                      r->backgroundBrush, frameBitmap, framePalette};
    const std::vector<HGLOBAL> blocks = {r->image, r->displayImage, r->undoImage, r->undoDisplayImage, r->techInfo,
                                         metafileRecord, animation, frameText};
    GlobalUnlock(recordBlock);

    ASSERT_EQ(1, FreeDib(recordBlock));
    EXPECT_TRUE(g_loaded) << "FreeDib returned before the load thread ended";
    for (size_t i = 0; i < gdi.size(); ++i)
        EXPECT_FALSE(gdiAlive(gdi[i])) << "GDI object " << i << " still exists";
    for (size_t i = 0; i < blocks.size(); ++i)
        EXPECT_FALSE(blockAlive(blocks[i])) << "block " << i << " still allocated";
    EXPECT_EQ(0u, GetObjectType(mf)) << "the metafile is deleted";

    r = static_cast<ImageRecord*>(GlobalLock(recordBlock));
    EXPECT_EQ(nullptr, r->image);
    EXPECT_EQ(nullptr, r->header);
    EXPECT_EQ(nullptr, r->palette);
    EXPECT_EQ(nullptr, r->deviceBitmap);
    EXPECT_EQ(nullptr, r->metafile);
    EXPECT_EQ(nullptr, r->animation);
    EXPECT_EQ(nullptr, r->loadThread);
    EXPECT_EQ(nullptr, r->backgroundBrush);
    EXPECT_TRUE(IsRectEmpty(&r->marquee));
    EXPECT_TRUE(IsRectEmpty(&r->pasteTarget));
    GlobalUnlock(recordBlock);

    // Again: every handle is 0 now, nothing is freed.
    const DWORD objects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    EXPECT_EQ(1, FreeDib(recordBlock));
    EXPECT_EQ(objects, GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
    GlobalFree(recordBlock);
    EXPECT_EQ(0, FreeDib(nullptr));
}

TEST(FreeDib, KeepsTheApplicationsBackgroundBrushAndAnImageHandleOfOne)
{
    HBRUSH shared = CreateSolidBrush(RGB(200, 200, 200));
    kt::testApp().backgroundBrush = shared;
    HGLOBAL recordBlock = block(sizeof(ImageRecord));
    auto* r = static_cast<ImageRecord*>(GlobalLock(recordBlock));
    r->backgroundBrush = shared;
    r->image = reinterpret_cast<HGLOBAL>(1); // "no image"
    GlobalUnlock(recordBlock);
    EXPECT_EQ(1, FreeDib(recordBlock));
    EXPECT_TRUE(gdiAlive(shared)) << "the application's brush was deleted";
    kt::testApp().backgroundBrush = nullptr;
    DeleteObject(shared);
    GlobalFree(recordBlock);
}

namespace {

WPARAM g_menu;
LPARAM g_windowMenu;
int g_calls;

LRESULT CALLBACK menuTargetProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WMU_SETMDIMENU) {
        ++g_calls;
        g_menu = wParam;
        g_windowMenu = lParam;
        return 0;
    }
    return DefWindowProcA(wnd, msg, wParam, lParam);
}

HMENU popup(std::initializer_list<UINT> ids)
{
    HMENU p = CreatePopupMenu();
    for (UINT id : ids)
        AppendMenuA(p, MF_STRING, id, "item");
    return p;
}

} // namespace

TEST(ChangeMDIMenu, PicksTheLastPopupHoldingTheCommand)
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = menuTargetProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "KtMenuTarget";
    RegisterClassA(&wc);
    Window w(wc.lpszClassName);
    ASSERT_TRUE(w.h);

    HMENU bar = CreateMenu();
    HMENU file = popup({101, 102, 500});
    HMENU window = popup({177, 178});
    HMENU help = popup({129, 500});
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    AppendMenuA(bar, MF_STRING, 300, "&Plain");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(window), "&Window");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), "&Help");

    const struct {
        UINT id;
        HMENU expected;
    } cases[] = {{177, window}, {129, help}, {101, file}, {500, help}, {999, nullptr}, {300, nullptr}};
    for (const auto& c : cases) {
        g_calls = 0;
        ChangeMDIMenu(w.h, nullptr, bar, c.id);
        EXPECT_EQ(1, g_calls) << "command " << c.id;
        EXPECT_EQ(reinterpret_cast<WPARAM>(bar), g_menu) << "command " << c.id;
        EXPECT_EQ(reinterpret_cast<LPARAM>(c.expected), g_windowMenu) << "command " << c.id;
    }
    g_calls = 0;
    ChangeMDIMenu(w.h, nullptr, nullptr, 177);
    EXPECT_EQ(0, g_calls) << "no menu, no message";
    DestroyMenu(bar);
}

TEST(EnableWindowAndOptionsMenus, DestroysTheCoverOnceAWindowExists)
{
    Window cover(recordClass());
    HWND handle = cover.h;
    int16_t count = 0;
    EnableWindowAndOptionsMenus(&count, 0, &handle);
    EXPECT_TRUE(IsWindow(cover.h)) << "no window yet: the cover stays";
    EXPECT_EQ(cover.h, handle);

    count = 1;
    EnableWindowAndOptionsMenus(&count, 0, &handle);
    EXPECT_FALSE(IsWindow(cover.h));
    EXPECT_EQ(nullptr, handle);
    EnableWindowAndOptionsMenus(&count, 0, &handle); // nothing left to destroy
    EXPECT_EQ(nullptr, handle);
}

TEST(EnableWindowAndOptionsMenus, ACoverOfAnotherThreadIsClosedByItsThread)
{
    // Image windows call this from their own threads; the cover belongs to the main thread.
    g_cover = nullptr;
    g_coverReady = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE owner = CreateThread(nullptr, 0, coverThread, nullptr, 0, nullptr);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(g_coverReady, 5000));
    ASSERT_TRUE(IsWindow(g_cover));
    HWND handle = g_cover;
    const int16_t count = 3;
    EnableWindowAndOptionsMenus(&count, 0, &handle);
    EXPECT_EQ(nullptr, handle);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(owner, 10000)) << "the owning thread did not close the cover";
    EXPECT_FALSE(IsWindow(g_cover));
    CloseHandle(owner);
    CloseHandle(g_coverReady);
}
