// kelcli catalog register / list / forget: the catalogs of the profile's catalog list.
#include "catalog_cli.h"
#include "kelcmd.h"
#include "message_relay.h"

#include <cstring>
#include <string>

namespace kelcli {

namespace {

std::string field(const char* text, size_t size) { return std::string(text, strnlen(text, size)); }

JsonLine catalogJson(int slot, const CatalogDescriptor& d)
{
    return JsonLine()
        .add("slot", slot)
        .add("name", field(d.catName, sizeof d.catName))
        .add("file", field(d.catPath, sizeof d.catPath))
        .add("volume", field(d.volumeLabel, sizeof d.volumeLabel))
        .addBool("read_only", d.readOnly != 0)
        .addBool("alphabetical", d.alphabetical != 0)
        .add("extensions", field(d.extensions, sizeof d.extensions));
}

int registerCatalog(const std::string& name, const std::string& file)
{
    catalogApp();
    MessageRelay relay;
    CatalogDescriptor d{};
    const int result = RegisterCatalogFile(file.c_str(), name.c_str(), &d);
    if (d.mutex)
        CloseHandle(d.mutex);
    if (result == 2 && _stricmp(d.catName, name.c_str()) != 0)
        return fail(file + " is registered already, as " + d.catName);
    if (result == 0) {
        if (FindCatIndex(name.c_str()) >= 0)
            return fail("a catalog named " + name + " is registered already");
        return fail(relay.last().empty() ? "cannot register " + file + " as " + name : relay.last());
    }
    printLine(catalogJson(d.catalogNumber, d).str());
    return 0;
}

int listCatalogs()
{
    catalogApp();
    const int n = MyGetPrivateProfileInt(catalogApp().appName, "Catalogs", 1, catalogApp().profilePath);
    for (int i = 1; i <= n; ++i) {
        char value[301] = "";
        const std::string key = "Catalog" + std::to_string(i);
        MyGetPrivateProfileString(catalogApp().appName, key.c_str(), "", value, sizeof value,
                                  catalogApp().profilePath);
        const std::string name = std::string(value).substr(0, std::string(value).find(','));
        if (name.empty())
            continue;
        CatalogDescriptor d{};
        if (FindCatalog(name.c_str(), &d))
            printLine(catalogJson(i, d).str());
    }
    return 0;
}

int forgetCatalog(const std::string& name)
{
    catalogApp();
    if (!ForgetCatalog(name.c_str()))
        return fail("no catalog named " + name + " is registered");
    return 0;
}

} // namespace

int catalogRegistryCommand(const Args& args)
{
    if (args.size() == 3 && args[0] == "register")
        return registerCatalog(args[1], args[2]);
    if (args.size() == 1 && args[0] == "list")
        return listCatalogs();
    if (args.size() == 2 && args[0] == "forget")
        return forgetCatalog(args[1]);
    return fail("usage: kelcli catalog [--app NAME] [--ini FILE] register NAME CATFILE | list | forget NAME");
}

} // namespace kelcli
