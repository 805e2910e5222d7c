// GIF files built byte by byte in the tests (image data coded by the codec's own LZW coder, which
// its own tests check against code sequences), and reading back what the codec produced.
#pragma once

#include "gif_lzw.h"

#include "bytes.h"
#include "win_raii.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace gif_test {

class GifBytes {
public:
    explicit GifBytes(const char* signature = "GIF89a") { b.assign(signature, signature + 6); }

    // Logical screen with a global table of these 0xRRGGBB colours (none when empty).
    GifBytes& screen(int width, int height, const std::vector<uint32_t>& colours, int background = 0)
    {
        u16(width);
        u16(height);
        b.push_back(uint8_t(colours.empty() ? 0 : 0x80 | tableBits(colours.size())));
        b.push_back(uint8_t(background));
        b.push_back(0);
        table(colours);
        return *this;
    }
    GifBytes& control(uint8_t packed, int delay, uint8_t transparentIndex)
    {
        b.insert(b.end(), {0x21, 0xF9, 4, packed});
        u16(delay);
        b.insert(b.end(), {transparentIndex, 0});
        return *this;
    }
    GifBytes& comment(const std::string& text)
    {
        b.insert(b.end(), {0x21, 0xFE});
        subBlocks(text);
        return *this;
    }
    // An image whose pixel values are given in file order (interlaced images: in pass order).
    GifBytes& image(int left, int top, int width, int height, const std::vector<uint8_t>& values,
                    const std::vector<uint32_t>& local = {}, bool interlaced = false, int minCodeSize = 8)
    {
        b.push_back(0x2C);
        u16(left);
        u16(top);
        u16(width);
        u16(height);
        b.push_back(uint8_t((local.empty() ? 0 : 0x80 | tableBits(local.size())) | (interlaced ? 0x40 : 0)));
        table(local);
        b.push_back(uint8_t(minCodeSize));
        gif::LzwEncoder lzw(minCodeSize, [this](const uint8_t* p, size_t n) { b.insert(b.end(), p, p + n); });
        lzw.put(values.data(), values.size());
        lzw.finish();
        return *this;
    }
    GifBytes& trailer()
    {
        b.push_back(0x3B);
        return *this;
    }
    std::vector<uint8_t> b;

private:
    void u16(int v)
    {
        b.push_back(uint8_t(v));
        b.push_back(uint8_t(v >> 8));
    }
    static int tableBits(size_t n)
    {
        int s = 0;
        while ((2u << s) < n)
            ++s;
        return s;
    }
    void table(const std::vector<uint32_t>& colours)
    {
        if (colours.empty())
            return;
        const size_t n = size_t(2) << tableBits(colours.size());
        for (size_t i = 0; i < n; ++i) {
            const uint32_t c = i < colours.size() ? colours[i] : 0;
            b.insert(b.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)});
        }
    }
    void subBlocks(const std::string& text)
    {
        for (size_t at = 0; at < text.size(); at += 255) {
            const size_t n = std::min<size_t>(255, text.size() - at);
            b.push_back(uint8_t(n));
            b.insert(b.end(), text.begin() + ptrdiff_t(at), text.begin() + ptrdiff_t(at + n));
        }
        b.push_back(0);
    }
};

// The text of a zero-terminated text block.
inline std::string blockText(HGLOBAL block)
{
    if (!block)
        return {};
    kel::GlobalLocked<char> p(block);
    return std::string(p.get());
}

} // namespace gif_test
