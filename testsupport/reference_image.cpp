#include "reference_image.h"

#include "file_io.h"

#include <cstdio>
#include <cstring>
#include <sstream>

namespace kt {

bool readNetpbm(const std::string& path, RgbImage* out)
{
    std::vector<uint8_t> bytes;
    if (!kel::readWholeFile(path.c_str(), &bytes) || bytes.size() < 3 || bytes[0] != 'P')
        return false;
    const char kind = char(bytes[1]);
    int width = 0, height = 0, depth = kind == '6' ? 3 : 1, maxval = 0;
    size_t pos = 2;
    auto token = [&]() {
        std::string t;
        while (pos < bytes.size()) {
            char c = char(bytes[pos]);
            if (c == '#')
                while (pos < bytes.size() && bytes[pos] != '\n')
                    ++pos;
            else if (isspace(static_cast<unsigned char>(c))) {
                ++pos;
                if (!t.empty())
                    return t;
            } else {
                t += c;
                ++pos;
            }
        }
        return t;
    };
    if (kind == '7') {
        for (std::string t = token(); !t.empty() && t != "ENDHDR"; t = token()) {
            if (t == "WIDTH") width = std::stoi(token());
            else if (t == "HEIGHT") height = std::stoi(token());
            else if (t == "DEPTH") depth = std::stoi(token());
            else if (t == "MAXVAL") maxval = std::stoi(token());
            else if (t == "TUPLTYPE") token();
        }
    } else if (kind == '5' || kind == '6') {
        width = std::stoi(token());
        height = std::stoi(token());
        maxval = std::stoi(token());
    } else {
        return false;
    }
    // Samples of up to 255 are scaled to 0-255 (v x 255 / maxval, as a grey ramp of that many
    // levels is); two-byte samples are taken by their high byte, as the codecs reduce them.
    const size_t sampleBytes = maxval > 255 ? 2 : 1;
    if (width <= 0 || height <= 0 || depth < 1 || depth > 4 || maxval < 1 || maxval > 65535 ||
        bytes.size() - pos < size_t(width) * height * depth * sampleBytes)
        return false;
    out->width = width;
    out->height = height;
    out->pixels.resize(size_t(width) * height);
    const uint8_t* p = bytes.data() + pos;
    auto sample = [&](const uint8_t* s) -> uint32_t {
        return sampleBytes == 2 ? s[0] : uint32_t(s[0]) * 255 / uint32_t(maxval);
    };
    for (size_t i = 0; i < out->pixels.size(); ++i, p += depth * sampleBytes) {
        const bool grey = depth <= 2;
        const uint32_t r = sample(p), g = grey ? r : sample(p + sampleBytes), b = grey ? r : sample(p + 2 * sampleBytes);
        out->pixels[i] = r << 16 | g << 8 | b;
    }
    return true;
}

bool dibToRgb(HGLOBAL dib, RgbImage* out)
{
    const uint8_t* p = static_cast<const uint8_t*>(GlobalLock(dib));
    if (!p)
        return false;
    const uint32_t headerSize = *reinterpret_cast<const uint32_t*>(p);
    const bool core = headerSize == 12;
    int width, height, bits;
    uint32_t compression = 0, used = 0;
    if (core) {
        const auto* h = reinterpret_cast<const BITMAPCOREHEADER*>(p);
        width = h->bcWidth, height = h->bcHeight, bits = h->bcBitCount;
    } else {
        const auto* h = reinterpret_cast<const BITMAPINFOHEADER*>(p);
        width = h->biWidth, height = h->biHeight, bits = h->biBitCount, compression = h->biCompression;
        used = headerSize == 40 ? h->biClrUsed : 0;
    }
    const uint32_t colours = used ? used : bits <= 8 ? 1u << bits : 0;
    const int entry = core ? 3 : 4;
    const uint8_t* table = p + headerSize;
    const uint8_t* bitsStart = table + uint16_t(colours * entry);
    const bool ok = compression == 0 && (bits == 1 || bits == 4 || bits == 8 || bits == 24) && width > 0 && height > 0;
    if (ok) {
        const size_t row = size_t((width * bits + 31) / 32) * 4;
        out->width = width;
        out->height = height;
        out->pixels.assign(size_t(width) * height, 0);
        for (int y = 0; y < height; ++y) {
            const uint8_t* r = bitsStart + row * size_t(height - 1 - y);
            for (int x = 0; x < width; ++x) {
                uint32_t v;
                if (bits == 24) {
                    v = uint32_t(r[3 * x + 2]) << 16 | uint32_t(r[3 * x + 1]) << 8 | r[3 * x];
                } else {
                    unsigned index = bits == 8 ? r[x] : bits == 4 ? (r[x / 2] >> (x % 2 ? 0 : 4)) & 15
                                                                  : (r[x / 8] >> (7 - x % 8)) & 1;
                    const uint8_t* c = table + index * entry;
                    v = uint32_t(c[2]) << 16 | uint32_t(c[1]) << 8 | c[0];
                }
                out->pixels[size_t(y) * width + x] = v;
            }
        }
    }
    GlobalUnlock(dib);
    return ok;
}

std::string firstDifference(const RgbImage& want, const RgbImage& got)
{
    std::ostringstream s;
    if (want.width != got.width || want.height != got.height) {
        s << "size " << got.width << "x" << got.height << ", expected " << want.width << "x" << want.height;
        return s.str();
    }
    for (int y = 0; y < want.height; ++y)
        for (int x = 0; x < want.width; ++x)
            if (want.at(x, y) != got.at(x, y)) {
                char text[96];
                snprintf(text, sizeof text, "pixel (%d,%d) is %06X, expected %06X", x, y, unsigned(got.at(x, y)),
                         unsigned(want.at(x, y)));
                return text;
            }
    return {};
}

} // namespace kt
