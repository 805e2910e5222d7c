// The dialog procedure of "ErrMsgHelp": which buttons and fields a message shows, what each
// button answers, the Help button and the icon.
#include "ids_winhelpers.h"
#include "kelhlp.h"
#include "message_dialog.h"

using kelhlp::MessageDialog;

namespace {

MessageDialog* dialogOf(HWND dlg) { return reinterpret_cast<MessageDialog*>(GetWindowLongPtrA(dlg, DWLP_USER)); }

void show(HWND dlg, int id, bool shown) { ShowWindow(GetDlgItem(dlg, id), shown ? SW_SHOW : SW_HIDE); }

// A button or label text from the application's strings, with the built-in text when the
// instance lacks it.
void setText(HWND dlg, int id, const MessageDialog& m, UINT stringId, const char* fallback)
{
    char text[64];
    if (LoadStringA(m.instance, stringId, text, sizeof text) <= 0)
        lstrcpynA(text, fallback, sizeof text);
    SetDlgItemTextA(dlg, id, text);
}

void showThirdButton(HWND dlg, const MessageDialog& m, UINT stringId, const char* fallback)
{
    setText(dlg, IDC_EMH_THIRD, m, stringId, fallback);
    show(dlg, IDC_EMH_THIRD, true);
}

// Returns whether the dialog manager should put the focus on its first control.
bool initialise(HWND dlg, const MessageDialog& m)
{
    if (m.title)
        SetWindowTextA(dlg, m.title);
    HWND focus = nullptr;
    const WORD f = m.flags;
    if (kelhlp::isVolumeLabelBox(f)) {
        setText(dlg, IDOK, m, IDS_EMH_YES, "&Yes");
        showThirdButton(dlg, m, IDS_EMH_NO, "&No");
        show(dlg, IDCANCEL, true);
        SendDlgItemMessageA(dlg, IDC_EMH_VOLUME, EM_LIMITTEXT, kelhlp::kVolumeLabelChars, 0);
        show(dlg, IDC_EMH_PASSWORD, false);
        focus = GetDlgItem(dlg, IDC_EMH_VOLUME);
    } else {
        if (kelhlp::isPasswordBox(f)) {
            SendDlgItemMessageA(dlg, IDC_EMH_PASSWORD, EM_LIMITTEXT, kelhlp::kPasswordChars, 0);
            show(dlg, IDC_EMH_PASSWORD, true);
            setText(dlg, IDC_EMH_LABEL, m, IDS_EMH_PASSWORD, "&Password:");
            focus = GetDlgItem(dlg, IDC_EMH_PASSWORD);
        } else {
            show(dlg, IDC_EMH_LABEL, false);
        }
        show(dlg, IDC_EMH_VOLUME, false);
        show(dlg, IDCANCEL, f & EMH_CANCEL);
        show(dlg, IDC_EMH_THIRD, f & EMH_RETRY);
        // Later flags override the third button's text.
        if (f & EMH_SKIP)
            showThirdButton(dlg, m, IDS_EMH_SKIP, "&Skip");
        if (f & EMH_CONTINUE)
            setText(dlg, IDOK, m, IDS_EMH_CONTINUE, "&Continue");
        if (f & EMH_DELETE)
            showThirdButton(dlg, m, IDS_EMH_DELETE, "&Delete");
        if (f & EMH_YESNO) {
            setText(dlg, IDOK, m, IDS_EMH_YES, "&Yes");
            showThirdButton(dlg, m, IDS_EMH_NO, "&No");
        }
    }
    SetDlgItemTextA(dlg, IDC_EMH_TEXT, m.text);
    if (!focus)
        return true;
    SetFocus(focus);
    return false;
}

HICON iconOf(const MessageDialog& m)
{
    if (m.flags & EMH_STOP)
        return LoadIconA(nullptr, IDI_HAND);
    if (m.flags & EMH_EXCLAMATION)
        return LoadIconA(nullptr, IDI_EXCLAMATION);
    if (m.flags & EMH_INFORMATION)
        return LoadIconA(nullptr, IDI_ASTERISK);
    if (m.flags & EMH_QUESTION)
        return LoadIconA(nullptr, IDI_QUESTION);
    return LoadIconA(m.instance, "SHOWICON");
}

void drawIcon(const MessageDialog& m, const DRAWITEMSTRUCT& item)
{
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
    if (HICON icon = iconOf(m))
        DrawIcon(item.hDC, item.rcItem.left, item.rcItem.top, icon);
}

void command(HWND dlg, MessageDialog& m, int id)
{
    switch (id) {
    case IDOK:
        if (kelhlp::isPasswordBox(m.flags) && m.password)
            GetDlgItemTextA(dlg, IDC_EMH_PASSWORD, m.password, kelhlp::kPasswordChars + 1);
        EndDialog(dlg, EMH_RESULT_FIRST);
        break;
    case IDCANCEL:
        EndDialog(dlg, EMH_RESULT_CANCEL);
        break;
    case IDC_EMH_THIRD:
        EndDialog(dlg, EMH_RESULT_THIRD);
        break;
    case IDC_EMH_HELP:
        // Where the platform has no help viewer the call fails on its own: nothing to report.
        if (m.helpFile && *m.helpFile)
            WinHelpA(dlg, m.helpFile, HELP_CONTEXT, m.helpContext);
        break;
    }
}

} // namespace

INT_PTR CALLBACK AppHelp(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrA(dlg, DWLP_USER, lParam);
        return lParam ? initialise(dlg, *reinterpret_cast<MessageDialog*>(lParam)) : TRUE;
    }
    MessageDialog* m = dialogOf(dlg);
    if (!m)
        return FALSE;
    switch (msg) {
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED)
            command(dlg, *m, LOWORD(wParam));
        return TRUE;
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item->CtlID != IDC_EMH_ICON)
            return FALSE;
        drawIcon(*m, *item);
        return TRUE;
    }
    }
    return FALSE;
}
