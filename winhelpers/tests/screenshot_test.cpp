// Not a check: holds the volume-label box on screen so that a script can photograph the display
// (screenshot.sh runs it). Disabled by default. The script names a folder in KEL_SHOT_DIR; the
// test writes "shown" there once the dialog is painted and closes it when "captured" appears.
#include "kelhlp.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

struct Photographer {
    std::string dir;
    bool done = false;

    bool exists(const char* name) const
    {
        return GetFileAttributesA((dir + "\\" + name).c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    static DWORD WINAPI run(void* p)
    {
        auto* self = static_cast<Photographer*>(p);
        HWND dlg = nullptr;
        for (int i = 0; i < 500 && !dlg; ++i, Sleep(20)) {
            HWND w = FindWindowA("#32770", "Error");
            if (w && IsWindowVisible(w))
                dlg = w;
        }
        if (!dlg)
            return 0;
        RedrawWindow(dlg, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        kt::writeFile(self->dir + "\\shown", {});
        for (int i = 0; i < 3000 && !self->exists("captured"); ++i)
            Sleep(20);
        self->done = true;
        PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        return 0;
    }
};

TEST(Screenshot, DISABLED_VolumeLabelBox)
{
    const char* dir = std::getenv("KEL_SHOT_DIR");
    ASSERT_TRUE(dir && *dir) << "KEL_SHOT_DIR names the folder of the handshake files";
    Photographer photographer{dir};
    HANDLE thread = CreateThread(nullptr, 0, Photographer::run, &photographer, 0, nullptr);
    ErrMsgHelp(nullptr, GetModuleHandleA(nullptr), 1, 0x0048, "KELGROVE.HLP", nullptr,
               "Please insert the disk '%s' into drive %c:\n\nIts volume label can be typed below.", "PHOTOS 1997",
               'A');
    WaitForSingleObject(thread, 70000);
    CloseHandle(thread);
    EXPECT_TRUE(photographer.done);
}

} // namespace
