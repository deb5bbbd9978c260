#pragma once

#include "engine/gamestate.h"

namespace tarnvale {

// The game settings module: the difficulty and the music, chosen in the
// new-game dialog and read by every game when it starts. Both are False when
// the program starts; nothing but the dialog (or a command-line option of the
// terminal front-end) writes them.
extern GameSettings mdlVariables;

} // namespace tarnvale
