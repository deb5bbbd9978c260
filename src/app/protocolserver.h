#pragma once

#include <cstdio>
#include <functional>

namespace tarnvale {

// Plays the game as a conversation in JSON (docs/protocol.md): one input per
// line from `in`, one answer per line to `out`, until the end of input.
// Returns the exit status: 0, also when the reader goes away; 1 when `out`
// or `in` fails otherwise (said on `err`).
int serveProtocol(std::FILE *in, std::FILE *out, std::FILE *err, const std::function<void()> &launchMusic);

} // namespace tarnvale
