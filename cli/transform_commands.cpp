// kelcli transform: the image core's rotations, crops, run-length coding and 5 x 5 filters on
// image files, one option per operation, applied in the order given.
#include "bmp_file.h"
#include "cli.h"
#include "keldll.h"
#include "message_relay.h"
#include "win_raii.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace kelcli {

namespace {

const char kUsage[] = "usage: kelcli transform IN OUT OP...\n"
                      "  OP: --rotate cw|half|ccw  --crop X,Y,W,H  --rle8  --rle4\n"
                      "      --filter K1,...,K25,DIVISOR,OFFSET";

// Comma-separated 32-bit integers; false when the text is anything else.
bool parseNumbers(const std::string& text, std::vector<long>* out)
{
    out->clear();
    const char* p = text.c_str();
    while (true) {
        char* end = nullptr;
        errno = 0;
        const long v = std::strtol(p, &end, 10);
        if (end == p || errno == ERANGE || v < -2147483647L - 1 || v > 2147483647L)
            return false;
        out->push_back(v);
        if (*end == 0)
            return true;
        if (*end != ',')
            return false;
        p = end + 1;
    }
}

struct Image {
    kel::GlobalMem dib;
    int bits() const
    {
        kel::GlobalLocked<BYTE> p(dib.get());
        return p ? DIBBitcount(p.get()) : 0;
    }
    bool encoded() const
    {
        BITMAPINFOHEADER bi;
        return DibInfo(dib.get(), &bi) && bi.biCompression != BI_RGB;
    }
    // The pixel operations work on plain rows: a run-length image is expanded first.
    bool expand()
    {
        if (!encoded())
            return true;
        HGLOBAL plain = RLEtoRGB(dib.get(), dib.get());
        if (!plain)
            return false;
        dib.reset(plain);
        return true;
    }
    void replace(HGLOBAL made)
    {
        if (made != dib.get())
            dib.reset(made);
    }
};

struct Operation {
    std::string option, value;
};

// The operations of the command line, checked before any file is read.
bool parseOperations(const Args& args, std::vector<Operation>* ops, std::string* why)
{
    for (size_t i = 2; i < args.size(); ++i) {
        const std::string& o = args[i];
        if (o == "--rle8" || o == "--rle4") {
            ops->push_back({o, ""});
            continue;
        }
        if (o != "--rotate" && o != "--crop" && o != "--filter") {
            *why = "unknown operation " + o;
            return false;
        }
        if (i + 1 >= args.size()) {
            *why = o + " needs a value";
            return false;
        }
        const std::string& v = args[++i];
        std::vector<long> n;
        if (o == "--rotate" && v != "cw" && v != "half" && v != "ccw") {
            *why = "--rotate takes cw, half or ccw";
            return false;
        }
        if (o == "--crop" && (!parseNumbers(v, &n) || n.size() != 4 || n[2] <= 0 || n[3] <= 0)) {
            *why = "--crop takes X,Y,W,H with a positive width and height";
            return false;
        }
        if (o == "--filter" && (!parseNumbers(v, &n) || n.size() != 27)) {
            *why = "--filter takes 25 weights, a divisor and an offset, separated by commas";
            return false;
        }
        ops->push_back({o, v});
    }
    if (ops->empty()) {
        *why = kUsage;
        return false;
    }
    return true;
}

// Applies one operation; an empty text on success, else why it failed.
std::string apply(const Operation& op, Image* image, const std::string& name)
{
    if (!image->expand())
        return "cannot expand the run-length image " + name;
    std::vector<long> n;
    if (op.option == "--rotate") {
        const int kind = op.value == "cw" ? 1 : op.value == "half" ? 2 : 3;
        image->replace(RotateDib(image->dib.get(), kind));
        return image->dib ? "" : "cannot rotate " + name;
    }
    if (op.option == "--crop") {
        parseNumbers(op.value, &n);
        const RECT rect{LONG(n[0]), LONG(n[1]), LONG(n[0] + n[2]), LONG(n[1] + n[3])};
        kel::GdiObject<HPALETTE> palette(CreateDIBPalette(image->dib.get()));
        image->replace(CropDIB(image->dib.get(), &rect, palette.get(), static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)),
                               DIB_RGB_COLORS));
        return image->dib ? "" : "cannot crop " + name;
    }
    if (op.option == "--filter") {
        if (image->bits() < 8)
            return "--filter needs an image of 8 bits or more (" + name + " has " + std::to_string(image->bits()) +
                   " bits)";
        parseNumbers(op.value, &n);
        FilterKernel kernel{};
        for (int i = 0; i < 25; ++i)
            kernel.weights[i] = LONG(n[size_t(i)]);
        kernel.divisor = LONG(n[25]);
        kernel.offset = LONG(n[26]);
        image->replace(ApplyDIBFilter(image->dib.get(), &kernel));
        return image->dib ? "" : "cannot filter " + name;
    }
    const bool rle8 = op.option == "--rle8";
    if (image->bits() != (rle8 ? 8 : 4))
        return op.option + (rle8 ? " needs an 8-bit image (" : " needs a 4-bit image (") + name + " has " +
               std::to_string(image->bits()) + " bits)";
    HGLOBAL encoded = RGBtoRLE(nullptr, image->dib.get(), rle8 ? 1 : 2, 1);
    if (!encoded)
        return "cannot encode " + name;
    if (encoded == image->dib.get())
        std::fprintf(stderr, "kelcli: the run-length form of %s does not fit; it stays uncompressed\n", name.c_str());
    image->replace(encoded);
    return "";
}

} // namespace

int transformCommand(const Args& args)
{
    if (args.size() < 3)
        return fail(kUsage);
    std::vector<Operation> ops;
    std::string why;
    if (!parseOperations(args, &ops, &why))
        return fail(why);

    initImageCore();
    MessageRelay messages(IDOK, true); // warnings go to stderr and the libraries go on
    Image image;
    std::string error;
    image.dib.reset(pipeline::readBmpFile(args[0].c_str(), &error));
    if (!image.dib)
        return fail("cannot read " + args[0] + ": " + error);
    for (const Operation& op : ops)
        if (std::string failed = apply(op, &image, args[0]); !failed.empty())
            return fail(failed);
    if (!pipeline::writeBmpFile(args[1].c_str(), image.dib.get(), &error))
        return fail("cannot write " + args[1] + ": " + error);
    return 0;
}

} // namespace kelcli
