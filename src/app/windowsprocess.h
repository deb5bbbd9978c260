#pragma once

#include "engine/gamestate.h"

#include <QString>

#include <functional>

namespace tarnvale {

// How a game in the windows went.
struct WindowsOutcome {
    enum class Kind {
        Played,     // the windows opened; `status` is the program's exit status
        CannotOpen, // the display named cannot be reached or the platform cannot start
        NotLoaded,  // the windows' module cannot be loaded; `error` says why
    };
    Kind kind = Kind::Played;
    int status = 0;
    QString error;
};

// Plays the game in the windows. They run in a child process that this one
// waits for: Qt ends a process whose display cannot be reached (a DISPLAY
// naming no server, a platform plugin that is missing, a Wayland socket with
// no compositor) before any window opens, and then the child is the one that
// ends, while the game goes on in the terminal. Qt's complaints about it are
// kept off standard error until the windows are up. Once they are, this
// process only waits, passes on signals that ask the game to end, and ends
// as the child did.
WindowsOutcome playInWindows(int &argc, char **argv, GameSettings &settings,
                             const std::function<void()> &launchMusic);

} // namespace tarnvale
