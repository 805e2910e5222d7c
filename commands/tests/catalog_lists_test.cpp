// The registry in dialogs, on real windows: the catalog combo (3018), switching catalogs from it,
// and a catalog's entries in list box 2102 with their count in 2141.
#include "registry_fixture.h"

#include "kel_messages.h"

#include <vector>

namespace {

// A window holding the controls the registry fills, as the dialogs have them.
struct ControlHost {
    HWND wnd = CreateWindowA("STATIC", "host", WS_OVERLAPPED, 0, 0, 300, 300, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    HWND combo = CreateWindowA("COMBOBOX", "", WS_CHILD | CBS_DROPDOWNLIST, 0, 0, 200, 200, wnd, HMENU(3018),
                               GetModuleHandleA(nullptr), nullptr);
    HWND list = nullptr, count = nullptr;
    explicit ControlHost(bool withCount = false)
    {
        list = CreateWindowA("LISTBOX", "", WS_CHILD, 0, 0, 200, 200, wnd, HMENU(2102), GetModuleHandleA(nullptr),
                             nullptr);
        if (withCount)
            count = CreateWindowA("STATIC", "", WS_CHILD, 0, 0, 50, 20, wnd, HMENU(2141), GetModuleHandleA(nullptr),
                                  nullptr);
    }
    ~ControlHost() { DestroyWindow(wnd); }

    static std::vector<std::string> items(HWND box, UINT countMsg, UINT textMsg)
    {
        std::vector<std::string> out;
        const int n = int(SendMessageA(box, countMsg, 0, 0));
        for (int i = 0; i < n; ++i) {
            char text[300] = "";
            SendMessageA(box, textMsg, WPARAM(i), reinterpret_cast<LPARAM>(text));
            out.push_back(text);
        }
        return out;
    }
    std::vector<std::string> comboItems() const { return items(combo, CB_GETCOUNT, CB_GETLBTEXT); }
    std::vector<std::string> listItems() const { return items(list, LB_GETCOUNT, LB_GETTEXT); }
    std::string selected() const
    {
        const LRESULT i = SendMessageA(combo, CB_GETCURSEL, 0, 0);
        if (i == CB_ERR)
            return "(none)";
        char text[300] = "";
        SendMessageA(combo, CB_GETLBTEXT, WPARAM(i), reinterpret_cast<LPARAM>(text));
        return text;
    }
    void choose(const char* name) const
    {
        const LRESULT i = SendMessageA(combo, CB_FINDSTRINGEXACT, WPARAM(-1), reinterpret_cast<LPARAM>(name));
        ASSERT_NE(CB_ERR, i) << name;
        SendMessageA(combo, CB_SETCURSEL, WPARAM(i), 0);
    }
};

using Strings = std::vector<std::string>;

} // namespace

using RegistryDialogs = RegistryTest;

TEST_F(RegistryDialogs, ComboListsTheCatalogsAndSelectsByPrefix)
{
    set(main(), "Catalogs", "5");
    set(main(), "Catalog1", "Photos");
    set(main(), "Catalog2", "Photo");
    set(main(), "Catalog3", "Old,C:\\OLD.CAT,*.GIF,CD,READONLY");
    set(main(), "Catalog4", "");
    set(main(), "Catalog5", "Archive,C:\\ARCHIVE.CAT,*.BMP, ");
    ControlHost host;
    Descriptor d;
    lstrcpyA(d->catName, "Photo");
    kt::testApp().catalogCount = 0;
    EXPECT_EQ(1, Display_Cat_Combo(host.wnd, d.get(), 0));
    EXPECT_EQ((Strings{"Photos", "Photo", "Archive"}), host.comboItems());
    EXPECT_EQ(5, kt::testApp().catalogCount);
    EXPECT_EQ("Photos", host.selected()) << "the first item that begins with the name";

    lstrcpyA(d->catName, "old");
    EXPECT_EQ(1, Display_Cat_Combo(host.wnd, d.get(), 1));
    EXPECT_EQ((Strings{"Photos", "Photo", "Old", "Archive"}), host.comboItems());
    EXPECT_EQ("Old", host.selected());

    lstrcpyA(d->catName, "Nothing");
    Display_Cat_Combo(host.wnd, d.get(), 1);
    EXPECT_EQ("(none)", host.selected());
}

TEST_F(RegistryDialogs, ListBoxShowsLiveShownEntries)
{
    kt::TempDir dir;
    const std::string path = dir.file("LIST.CAT");
    Descriptor d;
    ct::fillDescriptor(d.get(), path, "Listed");
    ASSERT_EQ(1, OpenCatalog(d.get(), CAT_READWRITE, 0));
    for (const char* name : {"B.GIF", "A.GIF", "C.GIF", "GONE.GIF"}) {
        HGLOBAL h = ct::recordHandle(ct::sampleRecord(name));
        ASSERT_EQ(1, WriteCatalog(d.get(), nullptr, nullptr, h, 0, name,
                                  std::string(name) == "C.GIF" ? "Christmas morning.gif" : ""));
        GlobalFree(h);
    }
    lstrcpyA(d->current.name, "GONE.GIF");
    ASSERT_GE(DeleteCix(d.get()), 0);
    GetIndex(d.get(), FindCix(d.get(), "B.GIF"))->flags |= kEntryHidden; // hidden by a search
    CloseCatalog(d.get(), nullptr, 0);

    ControlHost host(true);
    EXPECT_EQ(2, FillCatListBox(host.wnd, d.get()));
    EXPECT_EQ((Strings{"A.GIF", "Christmas morning.gif"}), host.listItems());
    char count[16] = "";
    GetWindowTextA(host.count, count, sizeof count);
    EXPECT_STREQ("3", count) << "active entries";
    EXPECT_EQ(0, d->openCount) << "closed again";
}

TEST_F(RegistryDialogs, ListBoxOfACatalogWithOnlyFreeEntriesIsEmpty)
{
    kt::TempDir dir;
    Descriptor d;
    ct::fillDescriptor(d.get(), dir.file("FREE.CAT"), "Free");
    ASSERT_EQ(1, OpenCatalog(d.get(), CAT_READWRITE, 0));
    HGLOBAL h = ct::recordHandle(ct::sampleRecord("ONLY.GIF"));
    ASSERT_EQ(1, WriteCatalog(d.get(), nullptr, nullptr, h, 0, "ONLY.GIF", ""));
    GlobalFree(h);
    lstrcpyA(d->current.name, "ONLY.GIF");
    ASSERT_GE(DeleteCix(d.get()), 0);
    CloseCatalog(d.get(), nullptr, 1);
    ControlHost host;
    SendMessageA(host.list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("stale"));
    EXPECT_EQ(0, FillCatListBox(host.wnd, d.get()));
    EXPECT_TRUE(host.listItems().empty());
}

TEST_F(RegistryDialogs, ProcessComboSwitchesToTheChosenCatalog)
{
    kt::TempDir one, two;
    makeCatalog(one.file("ONE.CAT"), "One");
    makeCatalog(two.file("TWO.CAT"), "Two");
    set(main(), "Catalogs", "3");
    set(main(), "Catalog1", "One");
    set("Catalog-One", "Filename", one.file("ONE.CAT"));
    set(main(), "Catalog2", "Two");
    set("Catalog-Two", "Filename", two.file("TWO.CAT"));
    set(main(), "Catalog3", "Lost");
    set("Catalog-Lost", "Filename", two.file("NO SUCH DIR\\LOST.CAT"));

    ControlHost host;
    Descriptor d;
    ASSERT_EQ(1, FindCatalog("One", d.get()));
    Display_Cat_Combo(host.wnd, d.get(), 1);
    SendMessageA(host.combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Unregistered"));
    char before[MAX_PATH];
    GetCurrentDirectoryA(sizeof before, before);

    host.choose("Two");
    ASSERT_EQ(d.get(), Process_Cat_Combo(host.wnd, d.get()));
    EXPECT_STREQ("Two", d->catName);
    EXPECT_EQ(0, d->openCount);
    EXPECT_NE(nullptr, d->indexBlock) << "closed with its index cached";
    char now[MAX_PATH];
    GetCurrentDirectoryA(sizeof now, now);
    EXPECT_EQ(0, _stricmp(two.path().c_str(), now)) << now;

    host.choose("Unregistered");
    EXPECT_EQ(d.get(), Process_Cat_Combo(host.wnd, d.get()));
    EXPECT_STREQ("Two", d->catName) << "restored";
    EXPECT_EQ(nullptr, d->indexBlock);
    EXPECT_EQ("Two", host.selected());

    host.choose("Lost");
    {
        kt::DialogAnswerer cancel(IDCANCEL);
        EXPECT_EQ(nullptr, Process_Cat_Combo(host.wnd, d.get()));
        EXPECT_FALSE(cancel.shown().empty()) << "the engine said why";
    }
    EXPECT_STREQ("Two", d->catName) << "restored";
    EXPECT_STREQ(two.file("TWO.CAT").c_str(), d->catPath);
    EXPECT_EQ("Two", host.selected());
    SetCurrentDirectoryA(before);
}

namespace {

CatalogDescriptor* g_shown;
LRESULT CALLBACK frameProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WMU_TOFIRSTCHILD)
        return _stricmp(reinterpret_cast<const char*>(lParam), g_shown->catName) == 0
                   ? reinterpret_cast<LRESULT>(g_shown)
                   : 0;
    return DefWindowProcA(wnd, msg, wParam, lParam);
}

} // namespace

TEST_F(RegistryDialogs, ProcessComboTakesTheDescriptorOfAViewShowingTheCatalog)
{
    set(main(), "Catalogs", "2");
    set(main(), "Catalog1", "One,C:\\ONE.CAT,*.GIF, ");
    set(main(), "Catalog2", "Two,C:\\TWO.CAT,*.GIF, ");
    Descriptor shown;
    lstrcpyA(shown->catName, "Two");
    g_shown = shown.get();
    WNDCLASSA wc{};
    wc.lpfnWndProc = frameProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "KtRegistryFrame";
    RegisterClassA(&wc);
    HWND frame = CreateWindowA(wc.lpszClassName, "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                               wc.hInstance, nullptr);
    kt::testApp().frameWnd = frame;
    ControlHost host;
    Descriptor d;
    ASSERT_EQ(1, FindCatalog("One", d.get()));
    Display_Cat_Combo(host.wnd, d.get(), 1);
    host.choose("Two");
    EXPECT_EQ(shown.get(), Process_Cat_Combo(host.wnd, d.get()));
    EXPECT_STREQ("One", d->catName) << "the caller's descriptor is left alone";
    kt::testApp().frameWnd = nullptr;
    DestroyWindow(frame);
}
