// The catalog list of the profile, shared by the registry's source files.
#pragma once

#include "catalog_types.h"

#include <string>

namespace kelcmd {

// Profile access in the application's main section and in a catalog's own section.
std::string profileText(const std::string& section, const char* key, const char* fallback = "");
bool writeProfileText(const std::string& section, const char* key, const char* text);
std::string mainSection();
std::string catalogSection(const std::string& name); // "Catalog-<name>"

// "Catalogs" (default 1), kept in the application state as the catalog count.
int catalogSlots();
std::string slotKey(int slot); // "Catalog<slot>"
std::string slotValue(int slot);
// The catalog name of a slot value: the text up to the first comma.
std::string slotName(const std::string& value);

// The fields of a slot value in the inline form: name, path, extensions, label, then the
// optional READONLY and order fields.
struct InlineSlot {
    bool isInline = false; // the value holds a comma
    std::string name, path, extensions, label;
    bool readOnly = false;
    bool alphabetical = true;
};
InlineSlot parseSlot(const std::string& value);

// Copies `text` into a descriptor field, cut to fit.
template <size_t N>
void setField(char (&field)[N], const std::string& text)
{
    const size_t n = text.size() < N - 1 ? text.size() : N - 1;
    text.copy(field, n);
    field[n] = 0;
}

} // namespace kelcmd
