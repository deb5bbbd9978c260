#pragma once

#include "engine/gamestate.h"
#include "ui/desktopentry.h"

#include <QString>

#include <functional>
#include <optional>

namespace tarnvale {

// The windows live in a module of their own (tarnvale_desktop), loaded only
// when the program opens them, so that the terminal game starts with QtCore
// alone and never maps the GUI libraries.

// The module's one entry point is declared in ui/desktopentry.h.

// Where the module is looked for: beside the executable (the build tree),
// then in the installed module directory.
QStringList desktopModuleCandidates();

// Loads the module and runs the windows until the program ends, returning
// the exit status; or, when the module cannot be loaded, returns nothing and
// says why in `error`.
std::optional<int> runDesktopModule(int &argc, char **argv, GameSettings &settings,
                                    const std::function<void()> &launchMusic,
                                    const std::function<void()> &windowsUp, QString &error);

} // namespace tarnvale
