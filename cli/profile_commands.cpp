// kelcli profile get KEY / set KEY VALUE: the application's profile section, through the
// profile store (registry first, the profile file for values not there yet).
#include "cli.h"
#include "kelcmd.h"
#include "kelgrove_state.h"

#include <vector>

namespace kelcli {

int profileCommand(const Args& arguments)
{
    Args args = arguments;
    AppState* app = startKelgrove(args);
    if (!app)
        return 2;
    if (args.size() == 2 && args[0] == "get") {
        std::vector<char> value(4096);
        MyGetPrivateProfileString(app->appName, args[1].c_str(), "", value.data(), DWORD(value.size()),
                                  app->profilePath);
        printLine(value.data());
        return 0;
    }
    if (args.size() == 3 && args[0] == "set") {
        if (!MyWritePrivateProfileString(app->appName, args[1].c_str(), args[2].c_str(), app->profilePath))
            return fail("cannot write " + args[1] + " to the profile");
        return 0;
    }
    return fail("usage: kelcli profile [--app NAME] [--ini FILE] get KEY | set KEY VALUE");
}

} // namespace kelcli
