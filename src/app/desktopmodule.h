#pragma once

#include "engine/gamestate.h"

#include <QString>

#include <functional>
#include <optional>

namespace tarnvale {

// The windows live in a module of their own (tarnvale_desktop), loaded only
// when the program opens them, so that the terminal game starts with QtCore
// alone and never maps the GUI libraries.

// The module's one entry point, looked up by this name.
inline constexpr char kDesktopEntry[] = "tarnvale_run_desktop";
using DesktopEntry = int (*)(int *argc, char **argv, GameSettings *settings,
                             const std::function<void()> *launchMusic);

// The module's probe, looked up by this name: starts the GUI application
// (which aborts the process where no display or platform can be opened) and
// returns 0.
inline constexpr char kDesktopProbe[] = "tarnvale_probe_desktop";
using DesktopProbe = int (*)(int *argc, char **argv);

// Whether the windows can open here: the probe runs in a child process, so
// that a display that is named but cannot be reached (or a platform plugin
// that is missing) ends the child and not the game. True too when the
// module cannot be found; loading it says why.
bool windowsCanOpen(int argc, char **argv);

// Where the module is looked for: beside the executable (the build tree),
// then in the installed module directory.
QStringList desktopModuleCandidates();

// Loads the module and runs the windows until the program ends, returning
// the exit status; or, when the module cannot be loaded, returns nothing and
// says why in `error`.
std::optional<int> runDesktopModule(int &argc, char **argv, GameSettings &settings,
                                    const std::function<void()> &launchMusic, QString &error);

} // namespace tarnvale
