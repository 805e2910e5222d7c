// kelcli info FILE / kelcli convert IN OUT [--quality Q] [--progressive] [--interlaced] [--gif89a]
// [--uncompressed] [--bw]: images read and written through the program's load and save pipeline
// and the codec libraries (--uncompressed clears the "Compressed" option of PCX, TGA, LBM and SGI,
// --bw writes SGI in one grey channel).
#include "cli.h"
#include "image_load.h"
#include "image_save.h"
#include "json.h"
#include "keldll.h"
#include "kelint.h"
#include "message_relay.h"
#include "win_raii.h"

#include <cstdlib>

namespace kelcli {

namespace {

// The libraries see the console tool as the application: its instance carries the string table.
void initLibraries()
{
    static AppState app = [] {
        AppState a{};
        a.size = kAppStateSize;
        a.appInstance = GetModuleHandleA(nullptr);
        std::snprintf(a.appName, sizeof a.appName, "Kelgrove");
        return a;
    }();
    InitKelDll(&app);
    InitKelInt(&app);
}

// The reason of a failure: what a library showed, else what the pipeline said.
int failWith(const MessageRelay& relay, const std::string& error)
{
    return fail(relay.last().empty() ? error : relay.last());
}

} // namespace

int infoCommand(const Args& args)
{
    if (args.size() != 1)
        return fail("usage: kelcli info FILE");
    initLibraries();
    MessageRelay relay;
    pipeline::ImageInfo info;
    std::string error;
    // Decoded, not only opened: some codecs learn their technical lines while reading the
    // pixels, and a file whose pixels are damaged should not be reported as sound.
    kel::GlobalMem dib(pipeline::loadImage(args[0], &info, &error));
    if (!dib)
        return failWith(relay, error);
    printLine(JsonLine()
                  .add("file", args[0])
                  .add("format", info.format)
                  .add("width", info.width)
                  .add("height", info.height)
                  .add("bits", info.bits)
                  .add("colors", int64_t(info.colours))
                  .add("techinfo", info.techInfo)
                  .str());
    return 0;
}

int convertCommand(const Args& args)
{
    std::vector<std::string> files;
    pipeline::SaveOptions options;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--quality" && i + 1 < args.size()) {
            const int q = std::atoi(args[++i].c_str());
            if (q < 1 || q > 100)
                return fail("--quality takes 1 to 100");
            options.jpeg.quality = int16_t(q);
        } else if (args[i] == "--progressive") {
            options.jpeg.progressive = 1;
        } else if (args[i] == "--interlaced") {
            options.gifFlags |= 1;
        } else if (args[i] == "--gif89a") {
            options.gifFlags |= 2;
        } else if (args[i] == "--uncompressed") {
            options.formatFlags &= ~1;
        } else if (args[i] == "--bw") {
            options.blackAndWhite = true;
        } else if (!args[i].empty() && args[i][0] == '-') {
            return fail("unknown option " + args[i]);
        } else {
            files.push_back(args[i]);
        }
    }
    if (files.size() != 2)
        return fail("usage: kelcli convert IN OUT [--quality Q] [--progressive] [--interlaced] [--gif89a] "
                    "[--uncompressed] [--bw]");
    initLibraries();
    MessageRelay relay;
    pipeline::ImageInfo info;
    std::string error;
    kel::GlobalMem dib(pipeline::loadImage(files[0], &info, &error));
    if (!dib)
        return failWith(relay, error);
    if (!pipeline::saveImage(files[1], dib.get(), options, &error))
        return failWith(relay, error);
    return 0;
}

} // namespace kelcli
