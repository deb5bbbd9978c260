#pragma once

// The one entry point of the windows' module, declared once for both sides:
// the module defines it (desktopentry.cpp), and the executable, which loads
// the module only when it opens the windows, looks it up by its name and
// calls it through a pointer of this very type.

#include "engine/gamestate.h"

#include <functional>

// Runs the windows until the program ends and returns the exit status;
// `windowsUp` (when set) is called once the platform has started, before any
// window opens.
extern "C" int tarnvale_run_desktop(int *argc, char **argv, tarnvale::GameSettings *settings,
                                    const std::function<void()> *launchMusic,
                                    const std::function<void()> *windowsUp);

namespace tarnvale {

inline constexpr char kDesktopEntry[] = "tarnvale_run_desktop";
using DesktopEntry = decltype(&tarnvale_run_desktop);

} // namespace tarnvale
