#include "ics_header.h"

#include "file_io.h"

#include <cstdlib>
#include <new>

namespace ics {

namespace {

// Header files are a few hundred bytes; anything past this is not one.
constexpr int64_t kMaxHeaderBytes = 1 << 20;

std::vector<std::string_view> split(std::string_view s, char separator)
{
    std::vector<std::string_view> out;
    size_t start = 0;
    for (size_t i = 0; i <= s.size(); ++i)
        if (i == s.size() || s[i] == separator) {
            if (i > start)
                out.push_back(s.substr(start, i - start)); // runs of separators count as one
            start = i + 1;
        }
    return out;
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == '\r' || s.front() == '\n' || s.front() == ' '))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == '\r' || s.back() == '\n' || s.back() == ' '))
        s.remove_suffix(1);
    return s;
}

long integer(std::string_view s) { return std::strtol(std::string(s).c_str(), nullptr, 10); }
double real(std::string_view s) { return std::strtod(std::string(s).c_str(), nullptr); }

template <typename T, typename F>
std::vector<T> values(const std::vector<std::string_view>& fields, size_t max, F convert)
{
    std::vector<T> out;
    for (size_t i = 2; i < fields.size() && out.size() < max; ++i)
        out.push_back(convert(fields[i]));
    return out;
}

std::string text(const std::vector<std::string_view>& fields)
{
    return fields.size() > 2 ? std::string(fields[2]) : std::string();
}

} // namespace

bool Header::compressed() const
{
    std::string c;
    for (char ch : compression)
        c += char(ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch);
    return !c.empty() && c != "uncompressed";
}

int parseHeader(std::string_view all, Header* out)
{
    if (all.size() < 2)
        return kNoIcsLine;
    const char field = all[0], line = all[1];
    std::vector<std::string_view> lines;
    for (std::string_view l : split(all.substr(2), line))
        if (!trimmed(l).empty())
            lines.push_back(trimmed(l));
    if (lines.empty() || (lines[0].substr(0, 3) != "ICS" && lines[0].substr(0, 3) != "ics"))
        return kNoIcsLine;
    const std::vector<std::string_view> first = split(lines[0], field);
    out->version = first.size() > 1 ? std::string(first[1]) : std::string();
    if (lines.size() < 2 || lines[1].substr(0, 8) != "filename")
        return kNoFilenameLine;

    for (size_t i = 2; i < lines.size(); ++i) {
        const std::vector<std::string_view> f = split(lines[i], field);
        const std::string_view category = f.size() > 0 ? f[0] : std::string_view();
        const std::string_view key = f.size() > 1 ? f[1] : std::string_view();
        if (category == "layout" && key == "parameters") {
            out->parameters = f.size() > 2 ? int(integer(f[2])) : 0;
            if (out->parameters > kMaxParameters)
                return kTooManyParameters;
        } else if (category == "layout" && key == "order") {
            out->order = values<std::string>(f, kMaxOrder, [](std::string_view s) { return std::string(s); });
        } else if (category == "layout" && key == "sizes") {
            out->sizes = values<long>(f, kMaxOrder, integer);
        } else if (category == "layout" && key == "coordinates") {
            out->coordinates = text(f);
        } else if (category == "layout" && key == "significant_bits") {
            out->significantBits = f.size() > 2 ? int(integer(f[2])) : 0;
        } else if (category == "representation" && key == "format") {
            out->format = text(f);
        } else if (category == "representation" && key == "sign") {
            out->sign = text(f);
        } else if (category == "representation" && key == "compression") {
            out->compression = text(f);
        } else if (category == "representation" && key == "byte_order") {
            out->byteOrder = values<int>(f, 16, [](std::string_view s) { return int(integer(s)); });
        } else if (category == "parameter" && (key == "origin" || key == "scale")) {
            (key == "origin" ? out->origin : out->scale) = values<double>(f, kMaxOrder, real);
        } else if (category == "parameter" && (key == "units" || key == "labels")) {
            (key == "units" ? out->units : out->labels) =
                values<std::string>(f, kMaxOrder, [](std::string_view s) { return std::string(s); });
        } else {
            std::string free;
            for (std::string_view part : f)
                free += (free.empty() ? "" : " ") + std::string(part);
            out->freeText.push_back(free);
        }
    }
    return 0;
}

int readHeader(const char* path, Header* out)
{
    kel::File file = kel::File::openRead(path);
    if (!file)
        return kCannotOpen;
    const int64_t size = file.size();
    if (size < 0 || size > kMaxHeaderBytes)
        return kCannotRead;
    std::string text;
    try {
        text.resize(size_t(size));
    } catch (const std::bad_alloc&) {
        return kNoMemory;
    }
    if (file.readAt(0, text.data(), text.size()) != size)
        return kCannotRead;
    return parseHeader(text, out);
}

} // namespace ics
