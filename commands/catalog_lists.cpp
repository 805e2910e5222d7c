// The registry in dialogs: the catalog selection combo (control 3018) that several dialogs and
// the toolbar share, switching catalogs from it, and a catalog's entries in list box 2102.
#include "catalog_registry.h"

#include "commands_internal.h"
#include "kel_messages.h"
#include "kelcat.h"
#include "kelcmd.h"

#include <cstring>
#include <string>

namespace {

constexpr int kCatalogCombo = 3018;
constexpr int kEntryList = 2102;
constexpr int kEntryCount = 2141;

std::string comboSelection(HWND combo)
{
    const LRESULT i = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (i == CB_ERR)
        return {};
    const LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, WPARAM(i), 0);
    if (length == CB_ERR)
        return {};
    std::string text(size_t(length) + 1, '\0');
    SendMessageA(combo, CB_GETLBTEXT, WPARAM(i), reinterpret_cast<LPARAM>(text.data()));
    text.resize(std::strlen(text.c_str()));
    return text;
}

// The descriptor as it was before a switch that did not succeed. Its blocks and mutex handle
// went with the attempt, so the restored copy holds none.
void restore(CatalogDescriptor* d, const CatalogDescriptor& copy, HWND combo)
{
    *d = copy;
    d->mutex = nullptr;
    d->indexBlock = d->sequenceBlock = d->longNameBlock = nullptr;
    d->index = nullptr;
    d->sequence = d->longNames = nullptr;
    d->openCount = 0;
    d->hCat = d->hCix = d->hCax = -1;
    const LRESULT i = SendMessageA(combo, CB_FINDSTRINGEXACT, WPARAM(-1), reinterpret_cast<LPARAM>(d->catName));
    SendMessageA(combo, CB_SETCURSEL, i == CB_ERR ? WPARAM(-1) : WPARAM(i), 0);
}

std::string directoryOf(const char* path)
{
    const std::string p(path);
    const size_t slash = p.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : p.substr(0, slash + 1);
}

class Hourglass {
public:
    Hourglass() : previous_(SetCursor(LoadCursor(nullptr, IDC_WAIT))) {}
    ~Hourglass() { SetCursor(previous_); }

private:
    HCURSOR previous_;
};

} // namespace

using namespace kelcmd;

int Display_Cat_Combo(HWND dlg, CatalogDescriptor* d, int includeReadOnly)
{
    HWND combo = GetDlgItem(dlg, kCatalogCombo);
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    const int n = catalogSlots();
    for (int i = 1; i <= n; ++i) {
        const std::string value = slotValue(i);
        if (value.empty())
            continue;
        const InlineSlot s = parseSlot(value);
        if (s.isInline && s.readOnly && !includeReadOnly)
            continue;
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.name.c_str()));
    }
    if (d)
        SendMessageA(combo, CB_SELECTSTRING, WPARAM(-1), reinterpret_cast<LPARAM>(d->catName));
    return 1;
}

CatalogDescriptor* Process_Cat_Combo(HWND dlg, CatalogDescriptor* d)
{
    if (!d)
        return nullptr;
    HWND combo = GetDlgItem(dlg, kCatalogCombo);
    UpdateCatalogEntry(d);
    const CatalogDescriptor copy = *d;
    const std::string chosen = comboSelection(combo);

    // A thumbnail view that shows the chosen catalog already has it open: use its descriptor.
    const AppState* a = app();
    if (a && a->frameWnd) {
        if (auto* shown = reinterpret_cast<CatalogDescriptor*>(
                SendMessageA(a->frameWnd, WMU_TOFIRSTCHILD, 0, reinterpret_cast<LPARAM>(chosen.c_str()))))
            return shown;
    }
    if (!FindCatalog(chosen.c_str(), d)) {
        restore(d, copy, combo);
        return d;
    }
    if (!OpenCatalog(d, CAT_READWRITE, CAT_SHARE_DENY_NONE)) {
        FreeCatalogBlocks(d);
        if (d->mutex)
            CloseHandle(d->mutex);
        restore(d, copy, combo);
        return nullptr;
    }
    CloseCatalog(d, nullptr, 0);
    const std::string dir = directoryOf(d->catPath);
    if (!dir.empty()) {
        setField(d->catDir, dir);
        SetCurrentDirectoryA(dir.c_str());
    }
    return d;
}

int FillCatListBox(HWND dlg, CatalogDescriptor* d)
{
    if (!d || !OpenCatalog(d, CAT_READ, CAT_SHARE_DENY_NONE))
        return 0;
    HWND list = GetDlgItem(dlg, kEntryList);
    int added = 0;
    {
        Hourglass wait;
        SendMessageA(list, WM_SETREDRAW, FALSE, 0);
        SendMessageA(list, LB_RESETCONTENT, 0, 0);
        const int n = d->index ? d->index->entries : 0;
        for (int i = 0; i < n; ++i) {
            const IndexEntry* e = GetIndex(d, i);
            if (e->name[0] == 0 || e->name[0] == ' ' || (e->flags & kEntryHidden))
                continue;
            std::string text = e->longName ? GetLongName(d, e->longName) : "";
            if (text.empty())
                text.assign(e->name, strnlen(e->name, sizeof e->name));
            if (SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())) >= 0)
                ++added;
        }
        SendMessageA(list, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(list, nullptr, TRUE);
    }
    if (GetDlgItem(dlg, kEntryCount))
        SetDlgItemInt(dlg, kEntryCount, UINT(d->index ? d->index->activeEntries : 0), FALSE);
    CloseCatalog(d, nullptr, 0);
    return added;
}
