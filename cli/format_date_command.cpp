// kelcli format-date FILE: a file's size, date and time as a catalog record holds them (by this
// user's international settings).
#include "cli.h"
#include "file_io.h"
#include "json.h"
#include "kelcat.h"

namespace kelcli {

int formatDateCommand(const Args& args)
{
    if (args.size() != 1)
        return fail("usage: kelcli format-date FILE");
    kel::File file = kel::File::openRead(args[0].c_str());
    if (!file)
        return fail("cannot open " + args[0]);
    char size[11], date[11], time[9];
    FormatData(file.get(), size, date, time);
    printLine(JsonLine().add("size", size).add("date", date).add("time", time).str());
    return 0;
}

} // namespace kelcli
