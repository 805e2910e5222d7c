#include "shell_state.h"

namespace kelapp {

namespace {
AppState g_appState;
ShellState g_shell;
Options g_options;
} // namespace

AppState& appState() { return g_appState; }
ShellState& shell() { return g_shell; }
Options& options() { return g_options; }

void resetShellState()
{
    g_appState = AppState{};
    g_shell = ShellState{};
    g_options = Options{};
}

} // namespace kelapp
