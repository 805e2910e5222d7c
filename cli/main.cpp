// kelcli entry: dispatches "kelcli <command> ..." to the command families.
#include "cli.h"

#include <windows.h>

#include <cstdio>
#include <fcntl.h>
#include <io.h>

namespace kelcli {

int fail(const std::string& message)
{
    std::fprintf(stderr, "kelcli: %s\n", message.c_str());
    return 2;
}

void printLine(const std::string& line)
{
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
}

} // namespace kelcli

namespace {

const char kUsage[] =
    "usage: kelcli catalog dump CATFILE\n"
    "       kelcli catalog rebuild-index CATFILE\n"
    "       kelcli catalog put CATFILE NAME [--long-name L] [--title T] [--keywords K] [--description D]\n"
    "              [--format F] [--width W --height H --bits B] [--thumbnail IMAGE] [--jpeg]\n"
    "       kelcli catalog get CATFILE NAME [--thumbnail OUT.bmp]\n"
    "       kelcli catalog delete CATFILE NAME\n"
    "       kelcli catalog verify CATFILE\n"
    "       kelcli catalog register NAME CATFILE | list | forget NAME\n"
    "       (catalog: CATFILE may be a registered catalog's name; --app NAME and --ini FILE choose the profile)\n"
    "       kelcli format-date FILE\n"
    "       kelcli transform IN.bmp OUT.bmp OP... (--rotate cw|half|ccw, --crop X,Y,W,H, --rle8, --rle4,\n"
    "                                             --filter K1,...,K25,DIVISOR,OFFSET; applied in order)\n"
    "       kelcli path to-net PATH | to-local NETPATH\n"
    "       kelcli volume DRIVE\n"
    "       kelcli profile get KEY | set KEY VALUE\n"
    "       (path, volume, profile: --app NAME and --ini FILE choose another profile)\n"
    "       kelcli quantize IN.bmp OUT.bmp [--colors N] [--method median|twopass]\n"
    "       kelcli dither IN.bmp OUT.bmp --mono | --palette PAL.bmp\n"
    "       kelcli info FILE\n"
    "       kelcli convert IN OUT [--quality Q] [--progressive] [--interlaced] [--gif89a]\n"
    "                      [--uncompressed] [--bw]\n";

} // namespace

int main(int argc, char** argv)
{
    _setmode(_fileno(stdout), _O_BINARY);
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    kelcli::Args args(argv + 1, argv + argc);
    if (args.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string command = args.front();
    args.erase(args.begin());
    if (command == "catalog")
        return kelcli::catalogCommand(args);
    if (command == "format-date")
        return kelcli::formatDateCommand(args);
    if (command == "transform")
        return kelcli::transformCommand(args);
    if (command == "path")
        return kelcli::pathCommand(args);
    if (command == "volume")
        return kelcli::volumeCommand(args);
    if (command == "profile")
        return kelcli::profileCommand(args);
    if (command == "quantize")
        return kelcli::quantizeCommand(args);
    if (command == "dither")
        return kelcli::ditherCommand(args);
    if (command == "info")
        return kelcli::infoCommand(args);
    if (command == "convert")
        return kelcli::convertCommand(args);
    std::fputs(kUsage, stderr);
    return 2;
}
