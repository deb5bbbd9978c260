#pragma once

// The program as a conversation in JSON: one input in, one answer out, each a
// single line (docs/protocol.md). Any program can play the game through it:
// the line mode's `--protocol`, the page's seam, a bot, a test.

#include "engine/program.h"

#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace tarnvale {

class Protocol {
public:
    // A fresh program, not yet started; `now` is the clock the inputs that
    // name no time of their own are taken at.
    Protocol(const Story &story, std::function<void()> launchMusic, std::function<Millis()> now);

    // Answers one input, a JSON object. An input of the player answers with
    // what of the view has changed since the last answer; the view, a
    // record, the state, a completion or a place answer with what they ask
    // for; anything else with {"error": ...}, and nothing changes.
    std::string answer(std::string_view input);

    Program &program() { return m_program; }

private:
    std::string changes(bool whole, const char *extraKey = nullptr, const std::string &extra = {});

    GameSettings m_settings;
    std::function<Millis()> m_now;
    unsigned m_launches = 0;   // the music started so far
    Program m_program;
    // What was last sent, per widget ("window/widget") and per field, for
    // the next answer to send only what changed.
    std::map<std::string, std::string> m_sent;
    std::string m_sentOpen;
};

} // namespace tarnvale
