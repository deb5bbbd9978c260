#pragma once

// The transcript runner's steps (tests/transcripts.py), one per line on
// standard input, served to a front-end's host:
//   start EASY MUSIC   a game with the settings, 0 or 1 each
//   line HEX           the line typed into the visible box, then Enter
//   type HEX           the text typed a character at a time
//   key NAME           Enter, Esc, Up, Backspace or Delete in the visible box
//   newgame            a new game with the same settings
//   state              what the front-end shows, as one JSON object
// Texts are UTF-16 code units in hexadecimal, four digits each. Every step
// is answered with one line: "ok", the state, or what went wrong.

#include <iostream>
#include <string>

namespace tarnvale::test {

inline std::u16string fromHex(std::string_view hex)
{
    std::u16string text;
    for (std::size_t i = 0; i + 4 <= hex.size(); i += 4)
        text += char16_t(std::stoul(std::string(hex.substr(i, 4)), nullptr, 16));
    return text;
}

// Host: start(bool easy, bool music), line(u16string), type(u16string),
// key(string) returning whether it knows the key, newGame(), and
// state() returning the JSON object.
template <typename Host>
int serveTranscriptSteps(Host &host)
{
    bool started = false;
    for (std::string line; std::getline(std::cin, line);) {
        const std::size_t space = line.find(' ');
        const std::string verb = line.substr(0, space);
        const std::string arg = space == std::string::npos ? std::string() : line.substr(space + 1);
        if (verb == "start") {
            host.start(arg.size() > 0 && arg[0] == '1', arg.size() > 2 && arg[2] == '1');
            started = true;
        } else if (!started) {
            std::cout << "no game" << std::endl;
            continue;
        } else if (verb == "line") {
            host.line(fromHex(arg));
        } else if (verb == "type") {
            host.type(fromHex(arg));
        } else if (verb == "key" && host.key(arg)) {
        } else if (verb == "newgame") {
            host.newGame();
        } else if (verb == "state") {
            std::cout << host.state() << std::endl;
            continue;
        } else {
            std::cout << "unknown step " << line << std::endl;
            continue;
        }
        std::cout << "ok" << std::endl;
    }
    return 0;
}

} // namespace tarnvale::test
