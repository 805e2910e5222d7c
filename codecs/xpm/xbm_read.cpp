// ReadXBMBitmapInfo: an X BitMap text, read token by token, into a 1-bit DIB.
//
// The text accepted, token by token (keywords in any case):
//   #define NAME_width W
//   #define NAME_height H
//   [#define NAME_x_hot X  #define NAME_y_hot Y]     read and not used (NAME_hot_x, NAME_hot_y too)
//   static [unsigned] char NAME_bits[] = {
//   H x ((W + 7) / 8) byte values "0xNN" separated by commas, the last followed by "};"
// In a byte value the least significant bit is the leftmost pixel; a set bit is black.
#include "kelxpm.h"

#include "codec_record.h"
#include "dib_layout.h"
#include "file_io.h"
#include "keldll.h"
#include "win_raii.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Tokens of the text, each split at the delimiters the caller names; tabs are not delimiters.
class Tokens {
public:
    explicit Tokens(std::string_view text) : text_(text) {}

    bool next(const char* delimiters, std::string_view* token)
    {
        while (pos_ < text_.size() && std::strchr(delimiters, text_[pos_]))
            ++pos_;
        if (pos_ >= text_.size())
            return false;
        const size_t start = pos_;
        while (pos_ < text_.size() && !std::strchr(delimiters, text_[pos_]))
            ++pos_;
        *token = text_.substr(start, pos_ - start);
        return true;
    }
    size_t remaining() const { return text_.size() - pos_; }

private:
    std::string_view text_;
    size_t pos_ = 0;
};

constexpr char kFirst[] = " \r\n";
constexpr char kWords[] = " ;\r\n";
constexpr char kData[] = " ,\r\n";

bool same(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool endsWith(std::string_view s, std::string_view end) { return s.size() >= end.size() && same(s.substr(s.size() - end.size()), end); }

// A decimal value as the platform's conversion reads it (leading digits; 0 for none).
long value(std::string_view token) { return std::strtol(std::string(token).c_str(), nullptr, 10); }

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 0;
}

// The four bits of a digit in the opposite order.
uint8_t reversed(int v) { return uint8_t((v & 1) << 3 | (v & 2) << 1 | (v & 4) >> 1 | (v & 8) >> 3); }

// A data token as the DIB byte: "0x" and two digits, the bits reversed so that the leftmost
// pixel becomes the most significant bit. Anything else (0X.., decimal) is 0.
uint8_t dataByte(std::string_view t)
{
    if (t.size() < 2 || t[0] != '0' || t[1] != 'x')
        return 0;
    const int first = t.size() > 2 ? hexDigit(t[2]) : 0;
    const int second = t.size() > 3 ? hexDigit(t[3]) : 0;
    return uint8_t(reversed(first) | reversed(second) << 4);
}

HGLOBAL reject(HGLOBAL* techInfo, const char* text)
{
    TechInfoU(techInfo, text);
    return nullptr;
}

} // namespace

HGLOBAL ReadXBMBitmapInfo(const char* path, char* format, HGLOBAL* techInfo, int /*warnings*/)
{
    std::vector<uint8_t> bytes;
    if (!path || !kel::readWholeFile(path, &bytes))
        return nullptr;
    Tokens tokens(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    std::string_view t;

    do {
        if (!tokens.next(kFirst, &t))
            return nullptr;
    } while (!same(t, "#define"));
    if (!tokens.next(kWords, &t))
        return nullptr;
    if (!endsWith(t, "_width"))
        return reject(techInfo, "Syntax err reading width\r\n");
    const std::string name(t.substr(0, t.size() - 6));
    if (!tokens.next(kWords, &t))
        return nullptr;
    // A width or height that is not a positive number is as good as none.
    const long width = value(t);
    if (width <= 0)
        return reject(techInfo, "Syntax err width = 0\r\n");

    if (!tokens.next(kWords, &t))
        return nullptr;
    if (!same(t, "#define"))
        return reject(techInfo, "Syntax err reading height; #define not found\r\n");
    if (!tokens.next(kWords, &t))
        return nullptr;
    if (!endsWith(t, "_height"))
        return reject(techInfo, "Syntax err reading height\r\n");
    if (!tokens.next(kWords, &t))
        return nullptr;
    const long height = value(t);
    if (height <= 0)
        return reject(techInfo, "Syntax err height = 0\r\n");

    if (!tokens.next(kWords, &t))
        return nullptr;
    if (same(t, "#define")) {
        if (!tokens.next(kWords, &t))
            return nullptr;
        // The X Window System writes NAME_x_hot; NAME_hot_x is taken too.
        if (!endsWith(t, "_hot_x") && !endsWith(t, "_x_hot"))
            return reject(techInfo, "Syntax err reading hot x \r\n");
        if (!tokens.next(kWords, &t) || !tokens.next(kWords, &t))
            return nullptr;
        if (!same(t, "#define"))
            return reject(techInfo, "Syntax err reading hot_y; #define not found\r\n");
        if (!tokens.next(kWords, &t) || !(endsWith(t, "_hot_y") || endsWith(t, "_y_hot")) || !tokens.next(kWords, &t) ||
            !tokens.next(kWords, &t))
            return nullptr;
    }

    if (!same(t, "static"))
        return reject(techInfo, "Syntax err reading data; static keyword not found\r\n");
    if (!tokens.next(kWords, &t))
        return nullptr;
    if (same(t, "unsigned") && !tokens.next(kWords, &t))
        return nullptr;
    if (!same(t, "char"))
        return reject(techInfo, "Syntax err reading data; char keyword not found\r\n");
    if (!tokens.next(kWords, &t))
        return nullptr;
    if (!endsWith(t, "_bits[]")) {
        TechInfo(techInfo, "Syntax err reading data; %s_bits[] keyword not found\r\n", name.c_str());
        return nullptr;
    }
    if (!tokens.next(kWords, &t))
        return nullptr;
    if (t != "=")
        return reject(techInfo, "Syntax err reading data; = operator not found\r\n");
    if (!tokens.next(kWords, &t))
        return nullptr;
    if (t != "{")
        return reject(techInfo, "Syntax err reading data; { not found\r\n");

    // Every data byte is a token of at least one character and a delimiter: a size the rest of
    // the text cannot hold runs out of tokens, and is refused before anything is allocated.
    const uint64_t rowBytes = (uint64_t(width) + 7) / 8;
    const uint64_t dataBytes = rowBytes * uint64_t(height);
    if (dataBytes > tokens.remaining() / 2 + 1)
        return nullptr;
    kel::GlobalMem dib(kelcodec::newRecord(int32_t(width), int32_t(height), 1, 2));
    if (!dib)
        return nullptr;
    {
        kel::GlobalLocked<uint8_t> p(dib.get());
        if (!p)
            return nullptr;
        kelcodec::putEntry(p.get() + 40, 0, 255, 255, 255);
        kelcodec::putEntry(p.get() + 40, 1, 0, 0, 0);
    }
    if (!kelcodec::growToDib(dib))
        return nullptr;
    kel::GlobalLocked<uint8_t> p(dib.get());
    if (!p)
        return nullptr;
    const kelcodec::DibLayout layout = kelcodec::layoutOf(p.get());
    for (long y = 0; y < height; ++y) {
        uint8_t* row = layout.rowFromTop(int(y));
        for (uint64_t x = 0; x < rowBytes; ++x) {
            if (!tokens.next(kData, &t))
                return nullptr;
            row[x] = dataByte(t);
        }
    }
    if (t.size() < 2 || t.substr(t.size() - 2) != "};")
        TechInfoU(techInfo, "Syntax err reading data; }; not found\r\n");
    if (format)
        std::strcpy(format, "XBM");
    return dib.release();
}
