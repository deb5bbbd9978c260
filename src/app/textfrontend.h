#pragma once

#include "engine/gamestate.h"

#include <QByteArrayView>

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

// Writes `bytes` to `out` and flushes it, as the game writes its screens: a
// reader that has gone away is no failure, any other failure is said on
// `err`. Returns the exit status.
int writeOrSay(QByteArrayView bytes, std::FILE *out, std::FILE *err);

} // namespace tarnvale
