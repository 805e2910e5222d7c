// kelcli: the console face of Kelgrove's libraries. Each command family lives in its own file
// and registers a handler; handlers return the exit status (0 ok, 2 failure).
#pragma once

#include <string>
#include <vector>

namespace kelcli {

using Args = std::vector<std::string>;

// Prints "kelcli: <message>" on stderr and returns 2.
int fail(const std::string& message);
// Writes one line to stdout as bytes (no code-page translation).
void printLine(const std::string& line);

int catalogCommand(const Args& args);
int pathCommand(const Args& args);
int volumeCommand(const Args& args);
int profileCommand(const Args& args);
int quantizeCommand(const Args& args);
int ditherCommand(const Args& args);
int infoCommand(const Args& args);
int convertCommand(const Args& args);
int transformCommand(const Args& args);

// Hands the image core its application state (this program's instance carries the texts).
void initImageCore();

} // namespace kelcli
