// Opening a GIF file: every block up to the trailer, images composed on the logical screen, and
// a play list for files of several images or with text overlays.
#include "gif_file.h"
#include "gif_format.h"
#include "gif_info.h"
#include "gif_lzw.h"
#include "gif_playlist.h"
#include "kelgif.h"

#include "codec_palette.h"
#include "dib_layout.h"
#include "file_io.h"
#include "ids_imagecore.h"
#include "keldll.h"
#include "win_raii.h"

#include <commctrl.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

namespace gif {

namespace {

using kelcodec::Rgb;

constexpr int kStatusText = 2111, kStatusProgress = 2112;

// Appends bytes to a zero-terminated text block held in *var (created when empty).
void appendText(HGLOBAL* var, const std::string& text)
{
    if (!var || text.empty())
        return;
    size_t used = 0;
    if (*var) {
        kel::GlobalLocked<char> p(*var);
        if (p)
            used = strnlen(p.get(), GlobalSize(*var));
    }
    const size_t needed = used + text.size() + 1;
    HGLOBAL block = *var ? GlobalReAlloc(*var, needed, GHND) : GlobalAlloc(GHND, needed);
    if (!block)
        return;
    *var = block;
    kel::GlobalLocked<char> p(block);
    if (p) {
        std::memcpy(p.get() + used, text.data(), text.size());
        p.get()[used + text.size()] = 0;
    }
}

std::string blockText(HGLOBAL block)
{
    if (!block)
        return {};
    kel::GlobalLocked<char> p(block);
    return p ? std::string(p.get(), strnlen(p.get(), GlobalSize(block))) : std::string();
}

// Index of the nearest colour (squared distance; the first wins ties).
int nearest(const std::vector<Rgb>& palette, const Rgb& c)
{
    int best = 0;
    long bestDistance = -1;
    for (size_t i = 0; i < palette.size(); ++i) {
        const long dr = palette[i].r - c.r, dg = palette[i].g - c.g, db = palette[i].b - c.b;
        const long d = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || d < bestDistance) {
            bestDistance = d;
            best = int(i);
        }
    }
    return best;
}

struct ImageDescriptor {
    int left, top, width, height;
    bool localTable, interlaced;
    int localColours;
};

class Reader {
public:
    Reader(HWND frame, const char* path, HINSTANCE instance, HGLOBAL* info, HGLOBAL* techInfo, HPALETTE* palette,
           int warnings, int autoDither, HGLOBAL* title, HGLOBAL* comment, HWND* statusWnd, WORD* continueFlag,
           int* transparent, COLORREF* transparentColour)
        : frame_(frame), path_(path), instance_(instance), info_(info), tech_(techInfo), palette_(palette),
          warnings_(warnings), autoDither_(autoDither), title_(title), comment_(comment), statusWnd_(statusWnd),
          continue_(continueFlag), transparent_(transparent), transparentColour_(transparentColour)
    {
    }

    // The decoded DIB or null; `list` receives the play list when one was made.
    HGLOBAL run(HANDLE file, char* format, HBRUSH* background, PlayList& list);

private:
    HPALETTE currentPalette() const { return palette_ ? *palette_ : initialPalette_.get(); }
    bool cancelled() const { return cancelled_ || (continue_ && *continue_ == 0); }
    void replacePalette(HPALETTE p)
    {
        if (!palette_) {
            if (p)
                DeleteObject(p);
            return;
        }
        if (*palette_)
            DeleteObject(*palette_);
        *palette_ = p;
    }
    void replaceRecord()
    {
        if (!info_)
            return;
        HGLOBAL copy = CopyBitmapInfo(dib_.get());
        if (*info_)
            GlobalFree(*info_);
        *info_ = copy;
    }
    void noMemory()
    {
        char text[256] = "";
        LoadStringA(instance_, IDS_NO_MEMORY, text, sizeof text);
        TechInfo(tech_, "%s\r\n", text);
    }
    int colourCount() const { return int(palette_under_.size()); }

    bool graphicControl();
    bool plainText(PlayList& list);
    void commentBlock();
    bool image(PlayList& list);
    bool localTable(const ImageDescriptor& d);
    bool decode(const ImageDescriptor& d);
    void putRow(int y, int left, const uint8_t* values, size_t n);
    void fillBackground();
    bool makeScreen(int width, int height);
    bool widenTo8Bits();
    PlayFrame controlFields() const;

    HWND frame_;
    const char* path_;
    HINSTANCE instance_;
    HGLOBAL* info_;
    HGLOBAL* tech_;
    HPALETTE* palette_;
    int warnings_, autoDither_;
    HGLOBAL* title_;
    HGLOBAL* comment_;
    HWND* statusWnd_;
    WORD* continue_;
    int* transparent_;
    COLORREF* transparentColour_;

    FileBytes* in_ = nullptr;
    Screen screen_;
    kel::GlobalMem dib_;
    int bits_ = 8, width_ = 0, height_ = 0;
    size_t rowBytes_ = 0;
    uint64_t fileBytes_ = 0;
    std::vector<Rgb> palette_under_; // the palette under construction
    kel::GdiObject<HPALETTE> initialPalette_;
    uint8_t remap_[256];
    bool haveControl_ = false;
    uint8_t control_[4] = {};
    int images_ = 0;
    bool cancelled_ = false;
};

PlayFrame Reader::controlFields() const
{
    PlayFrame f{};
    f.delay = -1;
    if (!haveControl_)
        return f;
    f.disposal = uint8_t((control_[0] >> 2) & 7);
    f.userInput = control_[0] & 2 ? 2 : 0;
    f.transparent = control_[0] & 1;
    const int delay = control_[1] | control_[2] << 8;
    f.delay = delay == 0 ? -1 : int16_t(std::min(delay * 10, 32767));
    f.transparentIndex = control_[3];
    return f;
}

bool Reader::graphicControl()
{
    const uint8_t size = in_->next();
    uint8_t data[4] = {};
    for (int i = 0; i < size; ++i) {
        const uint8_t b = in_->next();
        if (i < 4)
            data[i] = b;
    }
    if (size != 0)
        in_->skipSubBlocks();
    std::memcpy(control_, data, 4);
    haveControl_ = true;
    const int method = (data[0] >> 2) & 7;
    const char* disposal = method == 1 ? "Keep" : method >= 4 ? "Unknown" : "None";
    TechInfo(tech_, "Graphics Rendering block read\r\n delay = %d, disposal=%s\r\n input expected = %s, transparent =%s\r\n",
             data[1] | data[2] << 8, disposal, data[0] & 2 ? "Yes" : "NO", data[0] & 1 ? "Yes" : "NO");
    return true;
}

bool Reader::plainText(PlayList& list)
{
    uint8_t h[12] = {};
    const uint8_t size = in_->next();
    for (int i = 0; i < size; ++i) {
        const uint8_t b = in_->next();
        if (i < 12)
            h[i] = b;
    }
    const int left = h[0] | h[1] << 8, top = h[2] | h[3] << 8, width = h[4] | h[5] << 8, height = h[6] | h[7] << 8;
    TechInfo(tech_, "Text Overlay: top=%d, left=%d, width=%d, height=%d\r\n char width=%d, height=%d\r\n", top, left,
             width, height, h[8], h[9]);
    if (!list.started() && !list.start(frame_, dib_.get(), currentPalette(), autoDither_, false))
        noMemory();

    // Text of a grid line runs into the next without a break: a space keeps two words apart.
    std::string text;
    text.reserve(256);
    const int perLine = h[8] ? width / h[8] : 0;
    int count = 0;
    uint8_t previous = 0;
    if (size != 0) {
        for (uint8_t n = in_->next(); n != 0; n = in_->next()) {
            for (int i = 0; i < n; ++i) {
                const uint8_t c = in_->next();
                if (perLine > 0 && count > 0 && count % perLine == 0 && std::isgraph(c) && std::isgraph(previous))
                    text += ' ';
                text += char(c);
                previous = c;
                ++count;
            }
        }
    }
    PlayFrame f = controlFields();
    f.kind = kFrameText;
    f.left = uint16_t(left);
    f.top = uint16_t(top);
    f.width = uint16_t(width);
    f.height = uint16_t(height);
    f.cellWidth = h[8];
    f.cellHeight = h[9];
    f.foreground = h[10];
    f.background = h[11];
    HGLOBAL block = GlobalAlloc(GHND, text.size() + 1);
    if (kel::GlobalLocked<char> p(block); p)
        std::memcpy(p.get(), text.c_str(), text.size() + 1);
    f.handle = block;
    if (!list.append(f))
        GlobalFree(block);
    appendText(title_, text);
    TechInfoU(tech_, (text + "\r\n").c_str());
    haveControl_ = false;
    return true;
}

void Reader::commentBlock()
{
    std::string text;
    for (uint8_t n = in_->next(); n != 0; n = in_->next())
        for (int i = 0; i < n; ++i)
            text += char(in_->next());
    appendText(comment_, text);
}

void Reader::fillBackground()
{
    kel::GlobalLocked<uint8_t> p(dib_.get());
    if (!p)
        return;
    int index = screen_.background < colourCount() ? screen_.background : 0;
    uint8_t fill = uint8_t(index);
    if (bits_ == 4)
        fill = uint8_t(index | index << 4);
    else if (bits_ == 1)
        fill = index ? 0xFF : 0;
    std::memset(FindDIBBits(p.get()), fill, rowBytes_ * size_t(height_));
}

// A new blank screen of this size (same depth and colours), background-filled.
bool Reader::makeScreen(int width, int height)
{
    const uint64_t row = kel::dibRowBytes(uint64_t(width), uint64_t(bits_));
    if (width <= 0 || height <= 0 || row * uint64_t(height) > maxImageBytes(fileBytes_))
        return false;
    const size_t table = 4 * palette_under_.size();
    kel::GlobalMem fresh = kel::GlobalMem::alloc(40 + table + size_t(row) * size_t(height));
    {
        kel::GlobalLocked<uint8_t> to(fresh.get());
        kel::GlobalLocked<uint8_t> from(dib_.get());
        if (!to || !from)
            return false;
        std::memcpy(to.get(), from.get(), 40 + table);
        auto* bi = reinterpret_cast<BITMAPINFOHEADER*>(to.get());
        bi->biWidth = width;
        bi->biHeight = height;
        bi->biSizeImage = DWORD(row * uint64_t(height));
    }
    dib_ = std::move(fresh);
    width_ = width;
    height_ = height;
    rowBytes_ = size_t(row);
    fillBackground();
    return true;
}

// The palette grew past what the DIB's depth can index: its pixels become bytes.
bool Reader::widenTo8Bits()
{
    const size_t row8 = size_t(kel::dibRowBytes(uint64_t(width_), 8));
    if (uint64_t(row8) * uint64_t(height_) > kel::kMaxImageBytes)
        return false;
    kel::GlobalMem wide = kel::GlobalMem::alloc(40 + 4 * palette_under_.size() + row8 * size_t(height_));
    {
        kel::GlobalLocked<uint8_t> to(wide.get());
        kel::GlobalLocked<uint8_t> from(dib_.get());
        if (!to || !from)
            return false;
        const uint8_t* src = FindDIBBits(from.get());
        const size_t table = PaletteSize(from.get());
        std::memcpy(to.get(), from.get(), 40 + table);
        auto* bi = reinterpret_cast<BITMAPINFOHEADER*>(to.get());
        bi->biBitCount = 8;
        bi->biSizeImage = DWORD(row8 * size_t(height_));
        // The table keeps its size here; the caller puts the grown palette in its place.
        uint8_t* dst = to.get() + 40 + table;
        for (int y = 0; y < height_; ++y) {
            const uint8_t* s = src + rowBytes_ * size_t(y);
            uint8_t* d = dst + row8 * size_t(y);
            for (int x = 0; x < width_; ++x)
                d[x] = uint8_t(bits_ == 4 ? (s[x >> 1] >> (x & 1 ? 0 : 4)) & 15 : (s[x >> 3] >> (7 - (x & 7))) & 1);
        }
    }
    dib_ = std::move(wide);
    bits_ = 8;
    rowBytes_ = row8;
    return true;
}

bool Reader::localTable(const ImageDescriptor& d)
{
    TechInfo(tech_, "Local Color Table: %d colors\r\n", d.localColours);
    std::vector<Rgb> local(size_t(d.localColours));
    for (Rgb& c : local) {
        c.r = in_->next();
        c.g = in_->next();
        c.b = in_->next();
    }
    if (d.left == 0 && d.top == 0 && d.width == width_ && d.height == height_) {
        palette_under_.clear();
        TechInfoU(tech_, "Creating new palette\r\n");
    }
    int added = 0;
    for (size_t j = 0; j < local.size(); ++j) {
        const auto found = std::find(palette_under_.begin(), palette_under_.end(), local[j]);
        if (found != palette_under_.end()) {
            remap_[j] = uint8_t(found - palette_under_.begin());
        } else if (palette_under_.size() < 256) {
            remap_[j] = uint8_t(palette_under_.size());
            palette_under_.push_back(local[j]);
            ++added;
        } else {
            // A full palette takes no more colours: the nearest one stands in.
            remap_[j] = uint8_t(nearest(palette_under_, local[j]));
        }
    }
    TechInfo(tech_, "Added %d entries; Palette size is now %d\r\n", added, colourCount());
    HPALETTE p = kelcodec::createPalette(palette_under_);
    if (!p) {
        if (warnings_)
            ErrMsg("Create palette failed");
        return false;
    }
    replacePalette(p);
    if (colourCount() > (1 << bits_) && !widenTo8Bits()) {
        noMemory();
        return false;
    }
    HGLOBAL h = dib_.release();
    const bool ok = kelcodec::setColourTable(&h, palette_under_);
    dib_.reset(h);
    if (!ok) {
        noMemory();
        return false;
    }
    replaceRecord();
    return true;
}

void Reader::putRow(int y, int left, const uint8_t* values, size_t n)
{
    kel::GlobalLocked<uint8_t> p(dib_.get());
    if (!p || y < 0 || y >= height_)
        return;
    uint8_t* row = FindDIBBits(p.get()) + rowBytes_ * size_t(height_ - 1 - y);
    const int colours = colourCount();
    n = std::min(n, size_t(std::max(0, width_ - left)));
    for (size_t i = 0; i < n; ++i) {
        int v = remap_[values[i]];
        if (v >= colours)
            v = 0; // an index beyond the colour map
        const size_t x = size_t(left) + i;
        if (bits_ == 8) {
            row[x] = uint8_t(v);
        } else if (bits_ == 4) {
            uint8_t& b = row[x >> 1];
            b = x & 1 ? uint8_t((b & 0xF0) | v) : uint8_t((b & 0x0F) | v << 4);
        } else {
            const uint8_t mask = uint8_t(0x80 >> (x & 7));
            row[x >> 3] = v ? row[x >> 3] | mask : row[x >> 3] & ~mask;
        }
    }
}

bool Reader::decode(const ImageDescriptor& d)
{
    const int c = in_->next();
    TechInfo(tech_, "Image bitcount: %d, Bits per pixel: %d\r\n", bits_, c);
    LzwDecoder lzw(*in_, c);
    std::vector<int> rows;
    rows.reserve(size_t(d.height));
    if (d.interlaced) {
        TechInfoU(tech_, "Interlaced file\r\n");
        static const int kStart[] = {0, 4, 2, 1}, kStep[] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass)
            for (int r = kStart[pass]; r < d.height; r += kStep[pass])
                rows.push_back(r);
    } else {
        TechInfoU(tech_, "Non-interlaced file\r\n");
        for (int r = 0; r < d.height; ++r)
            rows.push_back(r);
    }
    std::vector<uint8_t> values(size_t(d.width));
    DWORD done = 0;
    for (int r : rows) {
        const size_t got = lzw.read(values.data(), values.size());
        putRow(d.top + r, d.left, values.data(), got);
        if (!UpdateStatus(++done, DWORD(d.height))) {
            cancelled_ = true;
            return false;
        }
        if (got < values.size()) {
            switch (lzw.status()) {
            case LzwDecoder::Status::InvalidCode: TechInfoU(tech_, "Invalid code\r\n"); break;
            case LzwDecoder::Status::InvalidStack: TechInfoU(tech_, "Invalid stack\r\n"); break;
            default: TechInfoU(tech_, "Premature EOF\r\n"); break;
            }
            break;
        }
    }
    lzw.skipRest();
    return true;
}

bool Reader::image(PlayList& list)
{
    uint8_t b[kImageDescriptorSize];
    in_->read(b, sizeof b);
    ImageDescriptor d{b[0] | b[1] << 8, b[2] | b[3] << 8, b[4] | b[5] << 8, b[6] | b[7] << 8,
                      (b[8] & 0x80) != 0, (b[8] & 0x40) != 0, 2 << (b[8] & 7)};
    const int number = images_++;
    if (number > 0) {
        if (statusWnd_ && *statusWnd_) {
            char text[MAX_PATH + 40];
            std::snprintf(text, sizeof text, "Reading Overlay %d: %s", number, ExtractFileName(path_));
            SetDlgItemTextA(*statusWnd_, kStatusText, text);
            SendDlgItemMessageA(*statusWnd_, kStatusProgress, PBM_SETPOS, 0, 0);
        }
        TechInfo(tech_, "Image Overlay #%d\r\n", number);
        if (!list.started() && !list.start(frame_, dib_.get(), currentPalette(), autoDither_, true))
            noMemory();
    }
    TechInfo(tech_, "Image data:left = %d, top = %d, width = %d, height = %d\r\n", d.left, d.top, d.width, d.height);

    auto skipImage = [&] {
        if (d.localTable)
            for (int i = 0; i < 3 * d.localColours; ++i)
                in_->next();
        in_->next(); // minimum code size
        in_->skipSubBlocks();
        haveControl_ = false;
        return true;
    };
    if (d.width == 0 || d.height == 0)
        return skipImage();
    if (d.left + d.width > width_ || d.top + d.height > height_) {
        if (screen_.gif89a) {
            TechInfoU(tech_, "Overlay extends outside of main image - not processed\r\n");
            return skipImage();
        }
        TechInfoU(tech_, "Image dimensions differ from screen dimensions. Image resized. \r\n");
        d.left = d.top = 0;
        if (!makeScreen(d.width, d.height)) {
            noMemory();
            return false;
        }
        replaceRecord();
    }
    if (d.localTable) {
        if (!localTable(d))
            return false;
    } else {
        replacePalette(CopyPaletteChangingFlags(initialPalette_.get(), 255));
        for (int i = 0; i < 256; ++i)
            remap_[i] = uint8_t(i);
        HGLOBAL h = dib_.release();
        kelcodec::setColourTable(&h, palette_under_);
        dib_.reset(h);
    }
    if (!decode(d))
        return false;
    if (list.started()) {
        PlayFrame f = controlFields();
        f.kind = kFrameImage;
        f.interlaced = d.interlaced;
        f.left = uint16_t(d.left);
        f.top = uint16_t(d.top);
        f.width = uint16_t(d.width);
        f.height = uint16_t(d.height);
        if (!screen_.gif89a)
            f.delay = -1;
        if (!list.appendImage(f, frame_, dib_.get(), currentPalette(), autoDither_, tech_))
            TechInfoU(tech_, "Too many images: the rest are not read\r\n");
    }
    haveControl_ = false;
    return list.frames() < kMaxFrames;
}

HGLOBAL Reader::run(HANDLE file, char* format, HBRUSH* background, PlayList& list)
{
    LARGE_INTEGER size{};
    GetFileSizeEx(file, &size);
    fileBytes_ = uint64_t(size.QuadPart);
    dib_.reset(readInfo(file, 1, format, tech_, background, warnings_, &screen_));
    if (!dib_)
        return nullptr;
    FormatSpecs(dib_.get(), format);
    if (screen_.globalTable)
        TechInfo(tech_, "Global Color Table: %d colors\r\n", screen_.globalColours);
    else
        TechInfoU(tech_, "No Global Color Table\r\n");

    size_t tableBytes, imageBytes;
    {
        kel::GlobalLocked<BITMAPINFOHEADER> bi(dib_.get());
        if (!bi)
            return nullptr;
        bits_ = bi->biBitCount;
        width_ = bi->biWidth;
        height_ = bi->biHeight;
        tableBytes = 4 * bi->biClrUsed;
        imageBytes = bi->biSizeImage;
        rowBytes_ = size_t(kel::dibRowBytes(uint64_t(width_), uint64_t(bits_)));
    }
    if (!dib_.realloc(40 + tableBytes + imageBytes)) {
        noMemory();
        return nullptr;
    }

    // The palette under construction starts as the caller's palette of the record.
    kel::GdiObject<HPALETTE> fromRecord;
    HPALETTE start = palette_ && *palette_ ? *palette_ : nullptr;
    if (!start) {
        fromRecord.reset(CreateDIBPalette(dib_.get()));
        start = fromRecord.get();
    }
    palette_under_ = kelcodec::paletteColours(start);
    palette_under_.resize(std::min<size_t>(palette_under_.size(), size_t(1) << bits_));
    initialPalette_.reset(CopyPaletteChangingFlags(start, 255));
    if (palette_ && !*palette_)
        *palette_ = fromRecord.release();
    for (int i = 0; i < 256; ++i)
        remap_[i] = uint8_t(i);
    fillBackground();

    FileBytes in(file);
    in_ = &in;
    in.seek(screen_.afterGlobalTable);
    for (bool reading = true; reading;) {
        const uint8_t introducer = in.next();
        if (introducer == kTrailer)
            break;
        if (introducer == kExtension) {
            const uint8_t label = in.next();
            if (label == kGraphicControl) {
                graphicControl();
                if (!list.started()) {
                    if (transparent_)
                        *transparent_ = control_[0] & 1;
                    if (transparentColour_) {
                        const Rgb c = control_[3] < palette_under_.size() ? palette_under_[control_[3]] : Rgb{};
                        *transparentColour_ = RGB(c.r, c.g, c.b);
                    }
                }
            } else if (label == kPlainText) {
                plainText(list);
            } else if (label == kComment) {
                commentBlock();
            } else {
                in.skipSubBlocks();
            }
        } else if (introducer == kImage) {
            reading = image(list);
        } else {
            TechInfo(tech_, "Invalid Trailer %x\r\n", introducer);
            reading = false;
        }
        if (cancelled())
            return nullptr;
    }

    const std::string title = blockText(title_ ? *title_ : nullptr);
    if (!title.empty())
        TechInfoU(tech_, ("GIF89a Title data:" + title + "\r\n").c_str());
    const std::string comment = blockText(comment_ ? *comment_ : nullptr);
    if (!comment.empty()) {
        TechInfoU(tech_, "GIF89a information block:\r\n");
        TechInfoU(tech_, (comment + "\r\n").c_str());
    }
    if (list.startedByImage()) {
        dib_.reset(list.takeKeptDib());
        replacePalette(list.takeKeptPalette());
    }
    replaceRecord();
    return dib_.release();
}

} // namespace

} // namespace gif

HGLOBAL OpenGIF(HWND frame, const char* path, HINSTANCE instance, char* format, HGLOBAL* info, HGLOBAL* techInfo,
                HPALETTE* palette, HGLOBAL* playList, HBRUSH* background, int warnings, int autoDither,
                HGLOBAL* title, HGLOBAL* comment, HWND* statusWnd, WORD* continueFlag, HBITMAP* firstFrame,
                int* transparent, COLORREF* transparentColour)
{
    kel::File file = kel::File::openRead(path);
    if (!file)
        return nullptr;
    char signature[8] = "";
    gif::PlayList list;
    gif::Reader reader(frame, path, instance, info, techInfo, palette, warnings, autoDither, title, comment,
                       statusWnd, continueFlag, transparent, transparentColour);
    kel::GlobalMem dib(reader.run(file.get(), format ? format : signature, background, list));
    if (!dib)
        return nullptr;
    if (list.started()) {
        if (list.startedByImage()) {
            HBITMAP kept = list.takeKeptBitmap();
            if (firstFrame) {
                if (*firstFrame)
                    DeleteObject(*firstFrame);
                *firstFrame = kept;
            } else if (kept) {
                DeleteObject(kept);
            }
        }
        HGLOBAL block = list.publish();
        if (playList) {
            freePlayList(*playList);
            *playList = block;
        } else {
            freePlayList(block);
        }
    }
    return dib.release();
}
