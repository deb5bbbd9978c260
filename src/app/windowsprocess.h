#pragma once

#include "engine/gamestate.h"

#include <QString>

#include <functional>

namespace tarnvale {

// How a game in the windows went.
struct WindowsOutcome {
    enum class Kind {
        Played,     // the windows opened; `status` is the program's exit status
        NotLoaded,  // the windows' module cannot be loaded; `error` says why
    };
    Kind kind = Kind::Played;
    int status = 0;
    QString error;
};

// Plays the game in the windows, in this process. Qt ends a process whose
// display cannot be reached (a DISPLAY naming no server, a platform plugin
// that is missing, a Wayland socket with no compositor) before any window
// opens; until the windows are up, such an end, a crash, or a platform that
// has not started within 15 s starts the program again with the same
// arguments, and windowsFailedBefore() then tells it to play in the terminal.
// Qt's complaints about it are kept off standard error, and no core is left.
WindowsOutcome playInWindows(int &argc, char **argv, GameSettings &settings,
                             const std::function<void()> &launchMusic);

// Whether this is the program started again after its windows failed to
// start; reading it puts the environment and the core-size limit back.
bool windowsFailedBefore();

} // namespace tarnvale
