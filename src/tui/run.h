#pragma once

#include "engine/gamestate.h"

#include <functional>
#include <string>

namespace tarnvale::tui {

// Whether the full-screen game can run on this terminal; when it cannot,
// `why` says so in one line. Sets the character type from the environment.
bool canRunFullScreen(std::string &why);

// Plays in the whole terminal until "выход" (or F10): the new-game dialog,
// then the game. The terminal is restored on leaving, also when a signal
// ends the program. What the program writes to standard error meanwhile is
// held back and written after the screen is left. Returns the exit status.
// Sets up a curses screen that has just started (initscr or newterm) as the
// game wants it: keys, colours, the mouse. Returns whether the mouse reports.
bool setUpTerminal();

int runFullScreen(GameSettings &settings, const std::function<void()> &launchMusic);

} // namespace tarnvale::tui
