// The browser's seam to the engine: the program's JSON conversation
// (engine/protocol.h, docs/protocol.md), one input and one answer at a time,
// in UTF-8 through the module's memory. The page and the seam's test both go
// through src/web/engine.js, which wraps these.
#include "engine/protocol.h"
#include "story/story.h"

#include <emscripten/emscripten.h>

#include <memory>
#include <string>

namespace {

std::unique_ptr<tarnvale::Protocol> g_protocol;
std::string g_input;    // the next input, written by the page
std::string g_answer;   // the last answer

tarnvale::Protocol &protocol()
{
    if (!g_protocol) {
        // A page cannot start a program: a launch of the music is only
        // counted (the state says how often). The page's clock is the
        // events' own.
        g_protocol = std::make_unique<tarnvale::Protocol>(tarnvale::tarnvaleStory(), nullptr, [] {
            return tarnvale::Millis(emscripten_get_now());
        });
    }
    return *g_protocol;
}

} // namespace

extern "C" {

// Room for an input of `size` bytes; returns where the page writes it.
EMSCRIPTEN_KEEPALIVE char *tv_buffer(int size)
{
    g_input.resize(std::size_t(size < 0 ? 0 : size));
    return g_input.data();
}

// Answers the first `size` bytes of the input; returns the answer's length,
// -1 when the engine failed (a fault of its own: the page says so rather
// than going down with it).
EMSCRIPTEN_KEEPALIVE int tv_ask(int size)
{
    try {
        g_answer = protocol().answer(std::string_view(g_input).substr(0, std::size_t(size < 0 ? 0 : size)));
        return int(g_answer.size());
    } catch (...) {
        return -1;
    }
}

// The last answer's bytes: valid until the next input.
EMSCRIPTEN_KEEPALIVE const char *tv_answer()
{
    return g_answer.data();
}

} // extern "C"
