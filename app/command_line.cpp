#include "command_line.h"

#include <cstring>
#include <vector>

namespace kelapp {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

bool endsWithNoCase(const std::string& text, const char* end)
{
    const size_t n = std::strlen(end);
    return text.size() >= n && _stricmp(text.c_str() + text.size() - n, end) == 0;
}

// The words of the line, quotes removed (a quoted word keeps its blanks).
std::vector<std::string> words(const std::string& line)
{
    std::vector<std::string> list;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && isBlank(line[i]))
            ++i;
        if (i >= line.size())
            break;
        std::string word;
        if (line[i] == '"') {
            const size_t close = line.find('"', i + 1);
            word = line.substr(i + 1, close == std::string::npos ? std::string::npos : close - i - 1);
            i = close == std::string::npos ? line.size() : close + 1;
        } else {
            while (i < line.size() && !isBlank(line[i]))
                word += line[i++];
        }
        list.push_back(word);
    }
    return list;
}

std::string trimmed(const std::string& text)
{
    size_t b = 0, e = text.size();
    while (b < e && isBlank(text[b]))
        ++b;
    while (e > b && isBlank(text[e - 1]))
        --e;
    return text.substr(b, e - b);
}

} // namespace

std::string cutCatalogTitle(const std::string& text)
{
    const size_t cut = text.find_first_of(",-/");
    std::string title = trimmed(text.substr(0, cut));
    if (title.size() > kCatalogTitleMax)
        title = trimmed(title.substr(0, kCatalogTitleMax));
    return title;
}

CommandLine parseCommandLine(const std::string& line)
{
    CommandLine cl;
    std::string rest = line;
    for (const char* switchText : {"-Embedding", "/Embedding"}) {
        const size_t at = line.find(switchText);
        if (at != std::string::npos) {
            cl.embedding = true;
            rest = line.substr(at + std::strlen(switchText));
            break;
        }
    }
    for (const std::string& word : words(line)) {
        if (cl.catalogFile.empty() && (endsWithNoCase(word, ".CAT") || endsWithNoCase(word, ".CIX")))
            cl.catalogFile = word;
        if (word == "-v" || word == "/v")
            cl.thumbnailView = true;
    }
    if (!cl.catalogFile.empty())
        cl.thumbnailView = true;
    if (cl.thumbnailView)
        return cl;

    rest = trimmed(rest);
    size_t i = 0;
    if (!rest.empty() && rest[0] == '"') {
        const size_t close = rest.find('"', 1);
        cl.file = rest.substr(1, close == std::string::npos ? std::string::npos : close - 1);
        i = close == std::string::npos ? rest.size() : close + 1;
    } else if (!rest.empty() && rest[0] != ',' && rest[0] != '-' && rest[0] != '/') {
        while (i < rest.size() && !isBlank(rest[i]) && rest[i] != ',')
            ++i;
        cl.file = rest.substr(0, i);
    }
    while (i < rest.size() && isBlank(rest[i]))
        ++i;
    if (i < rest.size() && rest[i] == ',')
        cl.catalogTitle = cutCatalogTitle(rest.substr(i + 1));
    return cl;
}

} // namespace kelapp
