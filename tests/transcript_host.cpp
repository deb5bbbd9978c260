// The engine as a player meets it, driven by the transcript runner
// (tests/transcripts.py) one step per line on standard input:
//   start EASY MUSIC   a game with the settings, 0 or 1 each
//   line HEX           the line typed into the visible box, then Enter
//   type HEX           the text typed a character at a time
//   key NAME           Enter, Esc, Up, Backspace or Delete in the visible box
//   newgame            a new game with the same settings
//   state              what the game shows, as one JSON object
// Texts are UTF-16 code units in hexadecimal, four digits each. Every step
// is answered with one line: "ok", or the state.
#include "engine/game.h"
#include "story/story.h"

#include <cstdio>
#include <iostream>
#include <map>
#include <memory>
#include <string>

namespace {

using namespace tarnvale;

std::u16string fromHex(std::string_view hex)
{
    std::u16string text;
    for (std::size_t i = 0; i + 4 <= hex.size(); i += 4)
        text += char16_t(std::stoul(std::string(hex.substr(i, 4)), nullptr, 16));
    return text;
}

// A JSON string: UTF-8, with every control character and lone surrogate
// escaped.
std::string json(std::u16string_view text)
{
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        const bool high = c >= 0xD800 && c <= 0xDBFF;
        if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (char32_t(text[++i]) - 0xDC00);
        } else if (c < 0x20 || c == u'"' || c == u'\\' || (c >= 0xD800 && c <= 0xDFFF)) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", unsigned(c));
            out += escaped;
            continue;
        }
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out + '"';
}

const char *const kFlagNames[] = {
    "urnSearched", "hasEmptyPack", "hasCheapCigs", "hasDearCigs", "baldDismissed", "hasBrick", "windowBroken",
    "keyNoticed", "hasDiskette", "atComputer", "loggedIn", "disketteInserted", "fileRead",
};
static_assert(std::size(kFlagNames) == kFlagCount);

std::string state(const Game &game, int launches)
{
    const GameWindow &w = game.window();
    const GameState &s = game.state();
    std::string out = "{\"txtGame\":" + json(w.txtGame) + ",\"lblAction\":" + json(w.lblAction)
                      + ",\"lblSteps\":" + json(w.lblSteps) + ",\"lblMoney\":" + json(w.lblMoney)
                      + ",\"lblPoints\":" + json(w.lblPoints) + ",\"lblDiff\":" + json(w.lblDiff) + ",\"inv\":[";
    for (std::size_t i = 0; i < w.lblInv.size(); ++i)
        out += (i ? "," : "") + json(w.lblInv[i]);
    const auto flag = [](bool b) { return b ? "true" : "false"; };
    out += std::string("],\"con\":") + json(w.txtCon.text()) + ",\"con.sel\":\"" + std::to_string(w.txtCon.selStart())
           + ' ' + std::to_string(w.txtCon.selLength()) + "\",\"con.visible\":" + flag(w.txtCon.visible)
           + ",\"con.enabled\":" + flag(w.txtCon.enabled) + ",\"pwd\":" + json(w.txtPwd.text())
           + ",\"pwd.visible\":" + flag(w.txtPwd.visible) + ",\"list.size\":" + std::to_string(w.lstItems.size())
           + ",\"list.index\":" + std::to_string(w.lstItemsIndex) + ",\"location\":" + std::to_string(s.location)
           + ",\"moves\":" + std::to_string(s.moveCount) + ",\"points\":" + std::to_string(s.points)
           + ",\"money\":" + std::to_string(s.money) + ",\"music\":" + std::to_string(launches) + ",\"flags\":{";
    for (std::size_t i = 0; i < kFlagCount; ++i)
        out += std::string(i ? "," : "") + '"' + kFlagNames[i] + "\":" + flag(game.is(i));
    return out + "}}";
}

// Typed a character at a time: a surrogate pair is one character.
void typeEach(Game &game, std::u16string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        const bool pair = i + 1 < text.size() && text[i] >= 0xD800 && text[i] <= 0xDBFF && text[i + 1] >= 0xDC00
                          && text[i + 1] <= 0xDFFF;
        const std::size_t n = pair ? 2 : 1;
        game.type(text.substr(i, n));
        i += n;
    }
}

} // namespace

int main()
{
    const std::map<std::string, Key> keys = {
        {"Enter", Key::Enter}, {"Esc", Key::Escape}, {"Up", Key::Up}, {"Backspace", Key::Backspace},
        {"Delete", Key::Delete},
    };
    GameSettings settings;
    int launches = 0;
    std::unique_ptr<Game> game;
    for (std::string line; std::getline(std::cin, line);) {
        const std::size_t space = line.find(' ');
        const std::string verb = line.substr(0, space);
        const std::string arg = space == std::string::npos ? std::string() : line.substr(space + 1);
        if (verb == "start") {
            settings.easyMode = arg.size() > 0 && arg[0] == '1' ? kTrue : kFalse;
            settings.musicOn = arg.size() > 2 && arg[2] == '1' ? kTrue : kFalse;
            launches = 0;
            game = std::make_unique<Game>(settings, tarnvaleStory(), [&launches] { ++launches; });
        } else if (!game) {
            std::cout << "no game" << std::endl;
            continue;
        } else if (verb == "line") {
            if (game->visibleBox().acceptsInput()) {
                typeEach(*game, fromHex(arg));
                game->key(Key::Enter);
            }
        } else if (verb == "type") {
            typeEach(*game, fromHex(arg));
        } else if (verb == "key" && keys.count(arg)) {
            game->key(keys.at(arg));
        } else if (verb == "newgame") {
            game->newGame();
        } else if (verb == "state") {
            std::cout << state(*game, launches) << std::endl;
            continue;
        } else {
            std::cout << "unknown step " << line << std::endl;
            continue;
        }
        std::cout << "ok" << std::endl;
    }
    return 0;
}
