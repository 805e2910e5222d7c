#include "image_load.h"

#include "bmp_file.h"
#include "file_io.h"
#include "format_detect.h"
#include "jpeg_options.h"
#include "keldll.h"
#include "kelint.h"
#include "play_list.h"
#include "win_raii.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

namespace pipeline {

namespace {

std::string techText(HGLOBAL tech)
{
    kel::GlobalLocked<uint8_t> p(tech);
    if (!p || GlobalSize(tech) < 8)
        return {};
    uint32_t length;
    std::memcpy(&length, p.get() + 4, 4);
    length = std::min<uint32_t>(length, uint32_t(GlobalSize(tech) - 8));
    return std::string(reinterpret_cast<const char*>(p.get()) + 8, length);
}

const char* bmpFormatName(HGLOBAL dib)
{
    kel::GlobalLocked<BITMAPINFOHEADER> bi(dib);
    if (!bi)
        return "BMP";
    if (bi->biSize == 12)
        return "PM BMP";
    if (bi->biCompression == BI_RLE8)
        return "RLE8";
    if (bi->biCompression == BI_RLE4)
        return "RLE4";
    return "BMP";
}

// One load in progress: the phases share the file, the technical information and the codec state.
class Load {
public:
    Load(const std::string& path, const ReadOptions& options) : path_(path), options_(options)
    {
        jpeg_.scaleDenominator = options.jpegScale;
    }
    ~Load()
    {
        if (record_)
            GlobalFree(record_);
        if (bmp_)
            GlobalFree(bmp_);
        if (tech_)
            GlobalFree(tech_);
        if (background_)
            DeleteObject(background_);
        if (imageId_)
            GlobalFree(imageId_);
        // An information call of the JPEG library that was not followed by its open call
        // still holds the JPEG mutex.
        if (jpegHeld_)
            ClearMutex();
    }

    bool information(ImageInfo* info, std::string* error)
    {
        kel::File file = kel::File::openRead(path_.c_str());
        if (!file)
            return fail(error, "cannot open " + path_);
        std::string type = typeFromExtension(path_), sniffed;
        SniffFormat(file.get(), &sniffed);
        if (type.empty())
            type = sniffed; // a type the signature only proposes is taken as the user would confirm it
        bool ok = !type.empty() && call(type, file.get());
        if (!ok && !sniffed.empty() && sniffed != type) {
            type = sniffed;
            ok = call(type, file.get());
        }
        if (!ok)
            return fail(error, "Unrecognized or invalid file:" + path_ + "!");
        type_ = type;
        kel::GlobalLocked<BITMAPINFOHEADER> bi(record_);
        info->type = type;
        info->format = format_;
        info->width = int(DIBWidth(bi.get()));
        info->height = int(DIBHeight(bi.get()));
        info->bits = DIBBitcount(bi.get());
        info->colours = DIBNumColors(bi.get());
        char line[160];
        std::snprintf(line, sizeof line, "Format: %dx%dx%s %s \r\n\r\n", info->width, info->height,
                      info->bits == 1 ? "2" : info->bits == 4 ? "16" : info->bits == 8 ? "256" : ">256", format_);
        TechInfoU(&tech_, line);
        info->techInfo = techText(tech_);
        return true;
    }

    HGLOBAL decode(ImageInfo* info, std::string* error)
    {
        HGLOBAL dib = nullptr;
        HPALETTE palette = nullptr;
        const HINSTANCE instance = GetModuleHandleA(nullptr);
        switch (familyOf(type_)) {
        case Family::Bmp: dib = std::exchange(bmp_, nullptr); break;
        case Family::Pcx:
            dib = OpenPCX(path_.c_str(), GetModuleHandleA(nullptr), format_, &record_, &tech_, &palette,
                          options_.warnings);
            break;
        case Family::Jpeg:
            dib = OpenJPEG(&jpeg_, path_.c_str());
            jpegHeld_ = false;
            break;
        case Family::Gif: dib = openGif(); break;
        case Family::Png: {
            HGLOBAL title = nullptr, description = nullptr;
            dib = OpenPNG(0, path_.c_str(), GetModuleHandleA(nullptr), 0, &record_, &tech_, 0, 0, 0, 0, 0, 0, &title,
                          &description, 0, 0);
            for (HGLOBAL h : {title, description})
                if (h)
                    GlobalFree(h);
            break;
        }
        case Family::Tga:
            dib = OpenTGA(path_.c_str(), instance, format_, &tech_, &imageId_, &palette);
            break;
        case Family::Lbm: dib = OpenLBM(path_.c_str(), instance, format_, &tech_, &palette); break;
        case Family::Sgi:
            dib = OpenRGB(path_.c_str(), instance, format_, &record_, &tech_, &palette, options_.warnings);
            break;
        case Family::Ras:
            dib = OpenRAS(path_.c_str(), instance, format_, &record_, &tech_, &palette, options_.warnings);
            break;
        case Family::Xpm:
            dib = OpenXPM(path_.c_str(), instance, format_, &record_, &tech_, &palette, options_.warnings);
            break;
        case Family::Xbm:
            dib = OpenXBM(path_.c_str(), instance, format_, &record_, &tech_, &palette, options_.warnings);
            break;
        case Family::Ics: dib = OpenICS(path_.c_str(), instance, format_, &tech_, &palette, 0, 0); break;
        case Family::Other: break;
        }
        // The pipeline hands over the image only; a display palette is the caller's to make.
        if (palette)
            DeleteObject(palette);
        info->techInfo = techText(tech_);
        if (!dib)
            fail(error, "Unrecognized or invalid file:" + path_ + "!");
        return dib;
    }

private:
    // The information call of the type's codec; the record, format text and technical lines stay here.
    bool call(const std::string& type, HANDLE file)
    {
        SetFilePointerEx(file, LARGE_INTEGER{}, nullptr, FILE_BEGIN);
        format_[0] = 0;
        switch (familyOf(type)) {
        case Family::Bmp: {
            std::string why;
            bmp_ = readBmpFile(path_.c_str(), &why);
            record_ = bmp_ ? CopyBitmapInfo(bmp_) : nullptr;
            std::snprintf(format_, sizeof format_, "%s", bmp_ ? bmpFormatName(bmp_) : "");
            break;
        }
        case Family::Pcx: record_ = ReadPCXBitmapInfo(file, format_, &tech_, options_.warnings); break;
        case Family::Jpeg:
            record_ = ReadJPEGBitmapInfo(&jpeg_, file, 1, 1, 2, format_);
            jpegHeld_ = record_ != nullptr;
            break;
        case Family::Gif: record_ = ReadGIFBitmapinfo(file, 1, format_, &tech_, &background_); break;
        case Family::Png: record_ = ReadPNGBitmapInfo(file, 0, format_, &tech_, 0, 0); break;
        case Family::Tga: record_ = ReadTGABitmapInfo(file, format_, &imageId_); break;
        case Family::Lbm: record_ = ReadLBMBitmapInfo(file, format_, &tech_); break;
        case Family::Sgi: record_ = ReadRGBBitmapInfo(file, format_, &tech_, options_.warnings); break;
        case Family::Ras: record_ = ReadRASBitmapInfo(file, format_, &tech_, options_.warnings); break;
        // These read the file by name; the XPM and XBM entries already decode the whole image.
        case Family::Xpm: record_ = ReadXPMBitmapInfo(path_.c_str(), format_, &tech_, options_.warnings); break;
        case Family::Xbm: record_ = ReadXBMBitmapInfo(path_.c_str(), format_, &tech_, options_.warnings); break;
        case Family::Ics: record_ = ReadICSBitmapInfo(path_.c_str(), format_, &tech_, 0, 0); break;
        case Family::Other: break;
        }
        return record_ != nullptr;
    }

    // The first image of a GIF file (the picture a still view shows); frames, texts and the
    // transparency are not kept.
    HGLOBAL openGif()
    {
        HPALETTE palette = CreateDIBPalette(record_);
        HGLOBAL playList = nullptr, title = nullptr, comment = nullptr;
        HBITMAP firstFrame = nullptr;
        WORD go = 1;
        int transparent = 0;
        COLORREF colour = 0;
        HGLOBAL dib = OpenGIF(nullptr, path_.c_str(), GetModuleHandleA(nullptr), format_, &record_, &tech_, &palette,
                              &playList, &background_, options_.warnings, 0, &title, &comment, nullptr, &go,
                              &firstFrame, &transparent, &colour);
        freePlayList(playList);
        for (HGLOBAL h : {title, comment})
            if (h)
                GlobalFree(h);
        for (HGDIOBJ o : {HGDIOBJ(palette), HGDIOBJ(firstFrame)})
            if (o)
                DeleteObject(o);
        return dib;
    }

    static bool fail(std::string* error, const std::string& why)
    {
        if (error)
            *error = why;
        return false;
    }

    std::string path_;
    ReadOptions options_;
    JpegOptions jpeg_;
    std::string type_;
    char format_[64] = "";
    HGLOBAL record_ = nullptr;
    HGLOBAL bmp_ = nullptr;
    HGLOBAL tech_ = nullptr;
    HBRUSH background_ = nullptr;
    HGLOBAL imageId_ = nullptr; // a Targa file's image ID
    bool jpegHeld_ = false;
};

} // namespace

bool readImageInfo(const std::string& path, ImageInfo* info, std::string* error, const ReadOptions& options)
{
    Load load(path, options);
    return load.information(info, error);
}

HGLOBAL loadImage(const std::string& path, ImageInfo* info, std::string* error, const ReadOptions& options)
{
    Load load(path, options);
    if (!load.information(info, error))
        return nullptr;
    return load.decode(info, error);
}

} // namespace pipeline
