// One JSON object per line. Catalog texts are Windows-1252; JSON output is UTF-8.
#pragma once

#include <cstdint>
#include <string>

namespace kelcli {

class JsonLine {
public:
    JsonLine& add(const char* key, const std::string& text1252);
    JsonLine& add(const char* key, int64_t number);
    JsonLine& addBool(const char* key, bool value);
    std::string str() const { return "{" + body_ + "}"; }

private:
    void key(const char* k);
    std::string body_;
};

std::string utf8From1252(const std::string& text);

} // namespace kelcli
