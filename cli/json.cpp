#include "json.h"

#include <windows.h>

#include <cstdio>

namespace kelcli {

std::string utf8From1252(const std::string& text)
{
    if (text.empty())
        return {};
    std::wstring wide(text.size(), L'\0');
    int n = MultiByteToWideChar(1252, 0, text.data(), int(text.size()), wide.data(), int(wide.size()));
    wide.resize(size_t(n));
    std::string out(size_t(n) * 3, '\0');
    int m = WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, out.data(), int(out.size()), nullptr, nullptr);
    out.resize(size_t(m));
    return out;
}

void JsonLine::key(const char* k)
{
    if (!body_.empty())
        body_ += ", ";
    body_ += '"';
    body_ += k;
    body_ += "\": ";
}

JsonLine& JsonLine::add(const char* k, const std::string& text1252)
{
    key(k);
    body_ += '"';
    for (char c : utf8From1252(text1252)) {
        switch (c) {
        case '"': body_ += "\\\""; break;
        case '\\': body_ += "\\\\"; break;
        case '\n': body_ += "\\n"; break;
        case '\r': body_ += "\\r"; break;
        case '\t': body_ += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char esc[8];
                snprintf(esc, sizeof esc, "\\u%04x", unsigned(static_cast<unsigned char>(c)));
                body_ += esc;
            } else {
                body_ += c;
            }
        }
    }
    body_ += '"';
    return *this;
}

JsonLine& JsonLine::add(const char* k, int64_t number)
{
    key(k);
    body_ += std::to_string(number);
    return *this;
}

JsonLine& JsonLine::addBool(const char* k, bool value)
{
    key(k);
    body_ += value ? "true" : "false";
    return *this;
}

} // namespace kelcli
