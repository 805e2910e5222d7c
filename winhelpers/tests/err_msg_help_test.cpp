// The message dialog with a Help button on real dialogs: every button and field combination of
// the flags, the results of each button and of Esc, captions and texts, the password box, the
// icon drawn, the wait cursor and the Help button.
#include "ids_app.h"
#include "ids_imagecore.h"
#include "ids_winhelpers.h"
#include "kelhlp.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Buttons = std::vector<std::string>;

HINSTANCE app() { return GetModuleHandleA(nullptr); }

std::string hex(DWORD flags)
{
    char text[16];
    snprintf(text, sizeof text, "0x%04lX", flags);
    return text;
}

// Columns: flags; visible push buttons in the dialog's order; text of the label 108 (null when
// hidden); volume-label field 109 shown; password field 518 shown; control pressed; result.
struct FlagCase {
    DWORD flags;
    Buttons buttons;
    const char* label;
    bool volumeField;
    bool passwordField;
    int press;
    int result;
};

const FlagCase kFlagCases[] = {
    {0x0000, {"OK", "&HELP"}, nullptr, false, false, IDOK, 1},
    {0x0000, {"OK", "&HELP"}, nullptr, false, false, kt::DialogAnswerer::kEscapeKey, 2},
    {0x0001, {"OK", "Cancel", "&HELP"}, nullptr, false, false, IDCANCEL, 2},
    {0x0001, {"OK", "Cancel", "&HELP"}, nullptr, false, false, kt::DialogAnswerer::kEscapeKey, 2},
    {0x0002, {"OK", "&Retry", "&HELP"}, nullptr, false, false, 3, 4},
    {0x0003, {"OK", "&Retry", "Cancel", "&HELP"}, nullptr, false, false, IDOK, 1},
    {0x0004, {"&Yes", "&No", "&HELP"}, nullptr, false, false, IDOK, 1},
    {0x0005, {"&Yes", "&No", "Cancel", "&HELP"}, nullptr, false, false, 3, 4},
    {0x0005, {"&Yes", "&No", "Cancel", "&HELP"}, nullptr, false, false, IDCANCEL, 2},
    {0x0008, {"&Yes", "&No", "Cancel", "&HELP"}, "&Volume Label:", true, false, IDOK, 1},
    {0x0008, {"&Yes", "&No", "Cancel", "&HELP"}, "&Volume Label:", true, false, 3, 4},
    {0x0048, {"&Yes", "&No", "Cancel", "&HELP"}, "&Volume Label:", true, false, kt::DialogAnswerer::kEscapeKey, 2},
    {0x0708, {"&Yes", "&No", "Cancel", "&HELP"}, "&Volume Label:", true, false, IDCANCEL, 2},
    {0x8009, {"OK", "Cancel", "&HELP"}, "&Password:", false, true, IDCANCEL, 2},
    {0x8008, {"OK", "&HELP"}, "&Password:", false, true, IDOK, 1},
    {0x8000, {"OK", "&HELP"}, nullptr, false, false, IDOK, 1},
    {0x0101, {"&Continue", "Cancel", "&HELP"}, nullptr, false, false, IDOK, 1},
    {0x0402, {"OK", "&Skip", "&HELP"}, nullptr, false, false, 3, 4},
    {0x0400, {"OK", "&Skip", "&HELP"}, nullptr, false, false, 3, 4},
    {0x0201, {"OK", "&Delete", "Cancel", "&HELP"}, nullptr, false, false, 3, 4},
    {0x0600, {"OK", "&Delete", "&HELP"}, nullptr, false, false, 3, 4},
    {0x0503, {"&Continue", "&Skip", "Cancel", "&HELP"}, nullptr, false, false, 3, 4},
    {0x0704, {"&Yes", "&No", "&HELP"}, nullptr, false, false, 3, 4},
    {0x00F3, {"OK", "&Retry", "Cancel", "&HELP"}, nullptr, false, false, IDCANCEL, 2},
    {0x10001, {"OK", "Cancel", "&HELP"}, nullptr, false, false, IDOK, 1},
};

TEST(ErrMsgHelp, EachFlagCombinationShowsItsButtonsAndFields)
{
    for (const FlagCase& c : kFlagCases) {
        SCOPED_TRACE("flags " + hex(c.flags) + ", pressing " + std::to_string(c.press));
        kt::DialogAnswerer answer(c.press);
        char password[16] = "unchanged";
        const int result = ErrMsgHelp(nullptr, app(), 0, c.flags, nullptr, nullptr, "Message %d", 1, password);
        EXPECT_EQ(c.result, result);
        ASSERT_EQ(1u, answer.shown().size());
        const kt::Shown& s = answer.shown()[0];
        EXPECT_EQ("Error", s.title);
        ASSERT_TRUE(s.control(IDC_EMH_TEXT));
        EXPECT_EQ("Message 1", s.control(IDC_EMH_TEXT)->text);
        EXPECT_EQ(c.buttons, s.buttons);
        const kt::ShownControl* label = s.control(IDC_EMH_LABEL);
        ASSERT_TRUE(label);
        EXPECT_EQ(c.label != nullptr, label->visible);
        if (c.label) {
            EXPECT_EQ(c.label, label->text);
        }
        EXPECT_EQ(c.volumeField, s.control(IDC_EMH_VOLUME)->visible);
        EXPECT_EQ(c.passwordField, s.control(IDC_EMH_PASSWORD)->visible);
        EXPECT_TRUE(s.control(IDC_EMH_ICON)->visible);
        // Only OK of a password box writes the buffer (here: nothing was typed).
        EXPECT_STREQ(c.passwordField && c.result == 1 ? "" : "unchanged", password);
    }
}

TEST(ErrMsgHelp, CaptionAndTextAreStringNumbersOrTexts)
{
    const std::string longArgument(400, 'a');
    struct {
        const char* caption;
        const char* text;
        const char* argument;
        std::string title, message;
    } cases[] = {
        {nullptr, "Plain %s", "text", "Error", "Plain text"},
        {MAKEINTRESOURCEA(9999), "Missing caption %s", "string", "Error", "Missing caption string"},
        {MAKEINTRESOURCEA(IDS_APPNAME), "Caption %s", "from a string", "Kelgrove", "Caption from a string"},
        {"Catalog Maintenance", "%s", "own caption", "Catalog Maintenance", "own caption"},
        {nullptr, "%s", longArgument.c_str(), "Error", std::string(255, 'a')},
        {nullptr, MAKEINTRESOURCEA(IDS_NO_MEMORY), nullptr, "Error", "Insufficient memory available"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        kt::DialogAnswerer answer(IDOK);
        EXPECT_EQ(1, ErrMsgHelp(nullptr, app(), 0, 0, nullptr, c.caption, c.text, c.argument));
        ASSERT_EQ(1u, answer.shown().size());
        EXPECT_EQ(c.title, answer.shown()[0].title);
        EXPECT_EQ(c.message, answer.shown()[0].control(IDC_EMH_TEXT)->text);
    }

    kt::DialogAnswerer answer(IDOK);
    EXPECT_EQ(1, ErrMsgHelp(nullptr, app(), 0, 0, nullptr, nullptr, MAKEINTRESOURCEA(IDS_FORMAT_SPECS), 640, 480,
                            "256", "GIF"));
    ASSERT_EQ(1u, answer.shown().size());
    EXPECT_EQ("Format: 640x480x256 GIF", answer.shown()[0].control(IDC_EMH_TEXT)->text)
        << "a string number is a format too";
}

TEST(ErrMsgHelp, PasswordBoxReturnsWhatWasTyped)
{
    struct {
        const char* typed;
        const char* expected;
    } cases[] = {{"Secret-Pass99", "Secret-P"}, {"abc", "abc"}, {"", ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        char password[24];
        std::memset(password, '#', sizeof password);
        LRESULT limit = 0;
        kt::DialogAnswerer answer(IDOK, [&](HWND dlg) {
            limit = SendDlgItemMessageA(dlg, IDC_EMH_PASSWORD, EM_GETLIMITTEXT, 0, 0);
            kt::typeText(GetDlgItem(dlg, IDC_EMH_PASSWORD), c.typed);
        });
        EXPECT_EQ(1, ErrMsgHelp(nullptr, app(), 0, 0x8009, nullptr, nullptr,
                                "Please enter the current password for catalog '%s'", "PHOTOS", password));
        ASSERT_EQ(1u, answer.shown().size());
        const kt::Shown& s = answer.shown()[0];
        EXPECT_EQ("Please enter the current password for catalog 'PHOTOS'", s.control(IDC_EMH_TEXT)->text);
        EXPECT_EQ("&Password:", s.control(IDC_EMH_LABEL)->text);
        EXPECT_EQ(8, limit);
        EXPECT_STREQ(c.expected, password);
        const size_t end = std::strlen(c.expected) + 1;
        for (size_t i = end; i < sizeof password; ++i)
            EXPECT_EQ('#', password[i]) << "byte " << i << " past the password was written";
    }
}

TEST(ErrMsgHelp, PasswordBufferFollowsWhateverTheFormatTakes)
{
    char password[16] = "";
    kt::DialogAnswerer answer(IDOK, [](HWND dlg) { kt::typeText(GetDlgItem(dlg, IDC_EMH_PASSWORD), "pw"); });
    EXPECT_EQ(1, ErrMsgHelp(nullptr, app(), 0, 0x8008, nullptr, nullptr, "%s: %*d entries, %.1f MB, %lld bytes, 100%%",
                            "PHOTOS", 5, 42, 1.5, 1572864LL, password));
    ASSERT_EQ(1u, answer.shown().size());
    EXPECT_EQ("PHOTOS:    42 entries, 1.5 MB, 1572864 bytes, 100%", answer.shown()[0].control(IDC_EMH_TEXT)->text);
    EXPECT_STREQ("pw", password);
}

TEST(ErrMsgHelp, VolumeLabelFieldTakesElevenCharacters)
{
    LRESULT limit = 0;
    kt::DialogAnswerer answer(3, [&](HWND dlg) {
        limit = SendDlgItemMessageA(dlg, IDC_EMH_VOLUME, EM_GETLIMITTEXT, 0, 0);
        kt::typeText(GetDlgItem(dlg, IDC_EMH_VOLUME), "PHOTOS-1997-DISK");
    });
    EXPECT_EQ(4, ErrMsgHelp(nullptr, app(), 0, 0x0048, nullptr, nullptr, "Insert the disk '%s'", "PHOTOS"));
    EXPECT_EQ(11, limit);
}

// The icon button as the dialog draws it, against the expected icon drawn the same way.
struct IconCapture {
    std::vector<uint32_t> drawn, expected;
};

std::vector<uint32_t> pixelsOf(int width, int height, const std::function<void(HDC)>& draw)
{
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, dib);
    draw(dc);
    GdiFlush();
    std::vector<uint32_t> pixels(static_cast<uint32_t*>(bits), static_cast<uint32_t*>(bits) + width * height);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(dib);
    return pixels;
}

TEST(ErrMsgHelp, IconButtonDrawsTheFirstIconOfTheFlags)
{
    struct {
        DWORD flags;
        HINSTANCE module;
        const char* icon;
    } cases[] = {
        {0x0010, nullptr, IDI_HAND},        {0x0040, nullptr, IDI_EXCLAMATION}, {0x0080, nullptr, IDI_ASTERISK},
        {0x0020, nullptr, IDI_QUESTION},    {0x0030, nullptr, IDI_HAND},        {0x00C0, nullptr, IDI_EXCLAMATION},
        {0x00A0, nullptr, IDI_ASTERISK},    {0x0000, app(), "SHOWICON"},        {0x0008, app(), "SHOWICON"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("flags " + hex(c.flags));
        IconCapture capture;
        kt::DialogAnswerer answer(IDOK, [&](HWND dlg) {
            HWND button = GetDlgItem(dlg, IDC_EMH_ICON);
            RECT rc;
            GetClientRect(button, &rc);
            capture.drawn = pixelsOf(rc.right, rc.bottom, [&](HDC dc) { PrintWindow(button, dc, PW_CLIENTONLY); });
            capture.expected = pixelsOf(rc.right, rc.bottom, [&](HDC dc) {
                FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
                DrawIcon(dc, 0, 0, LoadIconA(c.module, c.icon));
            });
        });
        ErrMsgHelp(nullptr, app(), 0, c.flags, nullptr, nullptr, "Icon");
        ASSERT_FALSE(capture.drawn.empty());
        ASSERT_EQ(capture.expected.size(), capture.drawn.size());
        size_t differing = 0, iconPixels = 0;
        for (size_t i = 0; i < capture.drawn.size(); ++i) {
            differing += capture.drawn[i] != capture.expected[i];
            iconPixels += capture.expected[i] != capture.expected[0];
        }
        EXPECT_GT(iconPixels, 100u) << "the expected icon drew next to nothing";
        EXPECT_EQ(0u, differing) << "of " << capture.drawn.size() << " pixels";
    }
}

TEST(ErrMsgHelp, WaitCursorWhileCreatedPreviousCursorAfterwards)
{
    HCURSOR cross = LoadCursorA(nullptr, IDC_CROSS);
    SetCursor(cross);
    HCURSOR whileShown = nullptr;
    kt::DialogAnswerer answer(IDOK, [&](HWND) { whileShown = GetCursor(); });
    EXPECT_EQ(1, ErrMsgHelp(nullptr, app(), 0, 0x0080, nullptr, nullptr, "Cursor"));
    EXPECT_EQ(LoadCursorA(nullptr, IDC_WAIT), whileShown);
    EXPECT_EQ(cross, GetCursor());
}

// Dialogs of the help viewer's process.
bool isHelpViewers(const kt::Shown& s)
{
    DWORD viewer = 0;
    if (HWND main = FindWindowA("MS_WINHELP", nullptr))
        GetWindowThreadProcessId(main, &viewer);
    return viewer && s.processId == viewer;
}

// Wine's help viewer cannot find the file and asks (in its own process) whether to look for it:
// the watcher answers No, the viewer ends, and the dialog, which stays, is answered with OK.
TEST(ErrMsgHelp, HelpButtonOpensTheHelpFileAndTheDialogStays)
{
    kt::DialogWatcher viewer(IDNO, isHelpViewers);
    kt::DialogAnswerer answer(IDOK, [](HWND dlg) {
        PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_EMH_HELP, BN_CLICKED), 0);
    });
    EXPECT_EQ(1, ErrMsgHelp(nullptr, app(), 42, 0x0041, "C:\\NOWHERE\\MAIN.hlp", nullptr, "Needs help"));
    ASSERT_TRUE(viewer.waitForAnswered(1, 10000)) << "the help viewer never asked for its file";
    const std::vector<kt::Shown> asked = viewer.shown();
    ASSERT_EQ(1u, asked.size());
    EXPECT_NE(std::string::npos, asked[0].text.find("C:\\NOWHERE\\MAIN.hlp")) << asked[0].text;
    EXPECT_NE(GetCurrentProcessId(), asked[0].processId);
    EXPECT_TRUE(kt::pumpUntil([] { return !FindWindowA("MS_WINHELP", nullptr); }, 10000))
        << "the help viewer did not end";
}

TEST(ErrMsgHelp, HelpButtonWithoutHelpFileDoesNothing)
{
    kt::DialogWatcher viewer(IDNO, isHelpViewers);
    kt::DialogAnswerer answer(3, [](HWND dlg) {
        PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_EMH_HELP, BN_CLICKED), 0);
    });
    EXPECT_EQ(4, ErrMsgHelp(nullptr, app(), 42, 0x0002, nullptr, nullptr, "No help"));
    EXPECT_TRUE(viewer.shown().empty());
}

// Each dialog keeps its own arguments: two password boxes open at the same time on two threads
// give each caller its own password.
struct ConcurrentBox {
    ConcurrentBox(const char* n, const char* t) : name(n), typed(t) {}
    ~ConcurrentBox() { CloseHandle(up); }
    const char* name;
    const char* typed;
    HANDLE up = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE other = nullptr;
    char password[16] = "";
    int result = 0;
    bool bothUp = false;
    kt::Shown shown;

    static DWORD WINAPI run(void* p)
    {
        auto* self = static_cast<ConcurrentBox*>(p);
        kt::DialogAnswerer answer(IDOK, [self](HWND dlg) {
            kt::typeText(GetDlgItem(dlg, IDC_EMH_PASSWORD), self->typed);
            SetEvent(self->up);
            self->bothUp = WaitForSingleObject(self->other, 10000) == WAIT_OBJECT_0;
        });
        self->result = ErrMsgHelp(nullptr, app(), 0, 0x8009, nullptr, self->name, "Password for '%s'", self->name,
                                  self->password);
        if (!answer.shown().empty())
            self->shown = answer.shown()[0];
        return 0;
    }
};

TEST(ErrMsgHelp, DialogsOnTwoThreadsKeepTheirOwnArguments)
{
    ConcurrentBox a("FIRST", "alpha"), b("SECOND", "beta");
    a.other = b.up;
    b.other = a.up;
    HANDLE threads[] = {CreateThread(nullptr, 0, ConcurrentBox::run, &a, 0, nullptr),
                        CreateThread(nullptr, 0, ConcurrentBox::run, &b, 0, nullptr)};
    ASSERT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(2, threads, TRUE, 30000));
    for (HANDLE h : threads)
        CloseHandle(h);
    for (ConcurrentBox* box : {&a, &b}) {
        SCOPED_TRACE(box->name);
        EXPECT_TRUE(box->bothUp) << "the two dialogs were not open at the same time";
        EXPECT_EQ(1, box->result);
        EXPECT_STREQ(box->typed, box->password);
        EXPECT_EQ(box->name, box->shown.title);
        ASSERT_TRUE(box->shown.control(IDC_EMH_TEXT));
        EXPECT_EQ(std::string("Password for '") + box->name + "'", box->shown.control(IDC_EMH_TEXT)->text);
    }
}

} // namespace
