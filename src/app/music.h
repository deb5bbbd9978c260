#pragma once

#include <QString>

namespace tarnvale {

// The command line that starts the companion music program: the value of
// TARNVALE_MUSIC when it is set, otherwise the platform's default.
QString musicCommandLine();

// Hands the music command line to the system shell, detached. The game
// neither waits for the music nor stops it; when the shell or the program is
// missing the game goes on without music, saying so once on standard error.
void launchMusic();

} // namespace tarnvale
