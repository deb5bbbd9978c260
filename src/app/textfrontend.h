#pragma once

#include "engine/gamestate.h"

#include <cstdio>
#include <functional>

namespace tarnvale {

struct TextOptions {
    bool json = false;      // one JSON object per line instead of the human layout
    bool prompt = false;    // show ">> " before reading a line (standard input is a terminal)
};

// Plays one game in the terminal: reads a command per line from `in`, writes
// the screen to `out` after the start and after every line, reports bad input
// on `err`. Returns the exit status.
int runTextGame(GameSettings &settings, const TextOptions &options,
                const std::function<void()> &launchMusic,
                std::FILE *in, std::FILE *out, std::FILE *err);

} // namespace tarnvale
