// IsItemCataloged: whether a registered catalog holds an image of that short name.
#include "engine.h"

#include "kel_messages.h"

#include <cstring>
#include <string>

using namespace kelcat;

int IsItemCataloged(const char* shortName, const char* catalogName)
{
    if (!shortName || !catalogName)
        return 0;
    std::string name(catalogName);
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    CatalogDescriptor scratch{};
    scratch.hCat = scratch.hCix = scratch.hCax = -1;
    if (!registryFindCatalog(name.c_str(), &scratch))
        return 0;
    // A catalog on show in a thumbnail view, or the application's current one, is asked through
    // the descriptor that already holds its index.
    CatalogDescriptor* d = &scratch;
    if (AppState* a = app()) {
        if (a->frameWnd) {
            auto* shown = reinterpret_cast<CatalogDescriptor*>(
                SendMessageA(a->frameWnd, WMU_TOFIRSTCHILD, 0, reinterpret_cast<LPARAM>(name.c_str())));
            if (shown)
                d = shown;
        }
        if (d == &scratch && _stricmp(a->currentCatalog.catName, name.c_str()) == 0)
            d = &a->currentCatalog;
    }
    if (!OpenCatalog(d, CAT_READ, CAT_SHARE_DENY_NONE))
        return 0;
    const int found = FindCix(d, shortName) >= 0 ? 1 : 0;
    CloseCatalog(d, nullptr, d == &scratch ? 1 : 0);
    if (scratch.mutex)
        CloseHandle(scratch.mutex);
    return found;
}
