// kelcli volume DRIVE: a drive as the drive table holds it (kind, label, remote name).
#include "cli.h"
#include "json.h"
#include "kelgrove_state.h"

#include <cctype>

namespace kelcli {

int volumeCommand(const Args& arguments)
{
    Args args = arguments;
    AppState* app = startKelgrove(args);
    if (!app)
        return 2;
    const int letter = args.size() == 1 && !args[0].empty() ? std::toupper(static_cast<unsigned char>(args[0][0])) : 0;
    if (letter < 'A' || letter > 'Z' || (args[0].size() > 1 && args[0][1] != ':'))
        return fail("usage: kelcli volume [--app NAME] [--ini FILE] DRIVE   (a letter, as in K or K:)");
    fillDriveTable(*app);
    const DriveEntry& e = app->driveTable[letter - 'A'];
    printLine(JsonLine()
                  .add("drive", std::string{char(letter), ':'})
                  .add("kind", int64_t(e.kind))
                  .add("label", std::string(e.label, strnlen(e.label, sizeof e.label)))
                  .add("remote", std::string(e.remote, strnlen(e.remote, sizeof e.remote)))
                  .str());
    return 0;
}

} // namespace kelcli
