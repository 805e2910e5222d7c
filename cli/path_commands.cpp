// kelcli path to-net PATH / to-local NETPATH: the network form of a path on a drive letter, and
// a stored network path made local again, as catalogs store and open them.
#include "cli.h"
#include "kelgrove_state.h"
#include "kelnet.h"
#include "message_relay.h"

#include <cstring>

namespace kelcli {

int pathCommand(const Args& arguments)
{
    Args args = arguments;
    AppState* app = startKelgrove(args);
    if (!app)
        return 2;
    if (args.size() != 2 || (args[0] != "to-net" && args[0] != "to-local"))
        return fail("usage: kelcli path [--app NAME] [--ini FILE] to-net PATH | to-local NETPATH");
    if (args[1].size() >= 260)
        return fail("path longer than 259 characters");
    fillDriveTable(*app);
    char path[260];
    std::strcpy(path, args[1].c_str());
    if (args[0] == "to-net") {
        ConvertToNet(path); // a path with no network form is printed as it is
    } else {
        MessageRelay messages(IDOK); // the libraries go on as after an OK; the text is the error
        if (!ConvertToLocal(path))
            return fail(messages.last().empty() ? "cannot find a local path for " + args[1] : messages.last());
    }
    printLine(path);
    return 0;
}

} // namespace kelcli
