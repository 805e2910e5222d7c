#include "format_detect.h"

#include <algorithm>
#include <cstring>

namespace pipeline {

namespace {

// Extensions of the load dispatch table (types are the extensions themselves).
const char* const kLoadTypes[] = {"GIF", "PNG", "PCX", "RGB", "BW",  "SGI", "RAS", "XPM", "PM",  "XBM", "BM",
                                  "TIF", "EPS", "CE",  "LBM", "IFF", "TGA", "MAC", "PCT", "PIC", "RLE", "AVI",
                                  "MOV", "WAV", "MID", "RMI", "MPG", "PCD", "ICS", "CE1", "CE2", "CE3", "IMG",
                                  "ICO", "ICN", "CLP", "WMF", "DRW", "GRF", "WPG", "CGM", "JPG", "JIF", "FLI",
                                  "FLC", "CEL", "BMP", "DIB", "UUE"};

struct Writable {
    const char* description;
    const char* extensions;
};
const Writable kWritable[kWritableCount] = {
    {"CompuServe GIF", ".GIF"},
    {"JPEG/JFIF", ".JPG;.JIF"},
    {"Amiga LBM/IFF", ".LBM;.IFF;.CE"},
    {"PCX", ".PCX"},
    {"PNG", ".PNG"},
    {"SGI", ".SGI"},
    {"Targa TGA", ".TGA"},
    {"Tagged Image Format TIF", ".TIF"},
    {"Windows MetaFile WMF", ".WMF"},
    {"Windows or PM bitmap BMP", ".BMP;.RLE;.DIB"},
    {"WordPerfect Graphics WPG", ".WPG"},
};

// The extension with its point, upper case; empty when the name has none (or a folder has it).
std::string extensionOf(const std::string& path)
{
    const size_t dot = path.find_last_of('.');
    const size_t sep = path.find_last_of("\\/:");
    if (dot == std::string::npos || (sep != std::string::npos && sep > dot))
        return {};
    std::string ext = path.substr(dot);
    for (char& c : ext)
        c = char(toupper(static_cast<unsigned char>(c)));
    return ext;
}

bool at(const uint8_t* d, size_t offset, const char* text) { return std::memcmp(d + offset, text, std::strlen(text)) == 0; }

} // namespace

std::string typeFromExtension(const std::string& path)
{
    const std::string ext = extensionOf(path);
    if (ext.size() < 2)
        return {};
    const std::string type = ext.substr(1);
    for (const char* t : kLoadTypes)
        if (type == t)
            return type;
    return {};
}

Family familyOf(const std::string& type)
{
    if (type == "BMP" || type == "DIB" || type == "RLE")
        return Family::Bmp;
    if (type == "PCX")
        return Family::Pcx;
    if (type == "JPG" || type == "JIF")
        return Family::Jpeg;
    if (type == "GIF")
        return Family::Gif;
    if (type == "PNG")
        return Family::Png;
    if (type == "TGA")
        return Family::Tga;
    if (type == "CE" || type == "LBM" || type == "IFF")
        return Family::Lbm;
    if (type == "RGB" || type == "BW" || type == "SGI")
        return Family::Sgi;
    if (type == "RAS")
        return Family::Ras;
    if (type == "XPM" || type == "PM")
        return Family::Xpm;
    if (type == "XBM" || type == "BM")
        return Family::Xbm;
    if (type == "ICS")
        return Family::Ics;
    return Family::Other;
}

int sniffBytes(const uint8_t* d, size_t size, std::string* type)
{
    constexpr size_t kSniffed = 1024;
    type->clear();
    if (size < kSniffed)
        return 0;
    auto name = [&](const char* t, int recognised) {
        *type = t;
        return recognised;
    };
    if (at(d, 0, "II") || at(d, 0, "MM"))
        return name("TIF", 1);
    if (at(d, 0, "GIF8"))
        return name("GIF", 1);
    if (d[0] == 0x59 && d[1] == 0xA6 && d[2] == 0x6A && d[3] == 0x95)
        return name("RAS", 1);
    for (size_t i = 0; i <= 1019 && i + 6 <= kSniffed; ++i)
        if (at(d, i, "begin "))
            return name("UUE", 1);
    for (size_t offset : {394, 398, 522, 680, 650}) {
        const uint8_t* p = d + offset;
        if ((p[0] == 0x11 && p[1] == 0x01) || (p[0] == 0x00 && p[1] == 0x11 && p[2] == 0x02 && p[3] == 0xFF))
            return name("PCT", 1);
    }
    for (size_t i = 0; i + 1 < 1000; ++i)
        if (d[i] == 0xFF && d[i + 1] == 0xD8)
            return name("JPG", 1);
    if (d[0] == 0x00 && d[1] == 0x3F && d[2] == 0x00)
        return name("CGM", 1);
    if (d[0] == 0x25 && d[1] == 0x21)
        return name("EPS", 1);
    if (at(d, 0, "FORM"))
        return name("IFF", 0);
    if (d[0] == 0 && d[1] == 1 && d[2] == 0 && (d[3] == 8 || d[4] == 9))
        return name("IMG", 0);
    if (d[0] == 0 && (d[1] == 1 || d[1] == 2) && d[16] == 0 && d[17] == 0)
        return name("WMF", 0);
    if (at(d, 0, "BM"))
        return name("BMP", 1);
    if (d[0] == 0x0A)
        return name("PCX", 0);
    return 0;
}

int SniffFormat(HANDLE file, std::string* type)
{
    uint8_t head[1024];
    LARGE_INTEGER zero{}, here{};
    type->clear();
    if (!SetFilePointerEx(file, zero, &here, FILE_CURRENT) || !SetFilePointerEx(file, zero, nullptr, FILE_BEGIN))
        return 0;
    DWORD got = 0;
    const bool read = ReadFile(file, head, sizeof head, &got, nullptr);
    SetFilePointerEx(file, here, nullptr, FILE_BEGIN);
    return read ? sniffBytes(head, got, type) : 0;
}

int FormatIndexFromName(const std::string& path)
{
    const std::string ext = extensionOf(path);
    if (ext.size() < 2 || ext.size() > 4)
        return -1;
    for (int i = 0; i < kWritableCount; ++i) {
        const std::string list = std::string(kWritable[i].extensions) + ";";
        if (list.find(ext + ";") != std::string::npos)
            return i;
    }
    return -1;
}

const char* writableDescription(int index)
{
    return index >= 0 && index < kWritableCount ? kWritable[index].description : "";
}

} // namespace pipeline
