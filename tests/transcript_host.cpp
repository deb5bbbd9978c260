// The engine as a player meets it, for the transcript runner
// (tests/transcripts.py): the steps of transcript_steps.h, typed and pressed
// into the visible box as a player does.
#include "engine/game.h"
#include "story/story.h"
#include "transcript_steps.h"
#include "utf8.h"

#include <cstdio>
#include <iostream>
#include <map>
#include <memory>
#include <string>

namespace {

using namespace tarnvale;

// A JSON string: UTF-8, with every control character and lone surrogate
// escaped.
std::string json(std::u16string_view text)
{
    std::string out = "\"";
    std::size_t plain = 0;   // where the run of characters that need no escape began
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        const bool high = c >= 0xD800 && c <= 0xDBFF;
        if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            ++i;
            continue;
        }
        if (c < 0x20 || c == u'"' || c == u'\\' || (c >= 0xD800 && c <= 0xDFFF)) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", unsigned(c));
            out += test::toUtf8(text.substr(plain, i - plain)) + escaped;
            plain = i + 1;
        }
    }
    return out + test::toUtf8(text.substr(plain)) + '"';
}

const char *const kFlagNames[] = {
    "urnSearched", "hasEmptyPack", "hasCheapCigs", "hasDearCigs", "baldDismissed", "hasBrick", "windowBroken",
    "keyNoticed", "hasDiskette", "atComputer", "loggedIn", "disketteInserted", "fileRead",
};
static_assert(std::size(kFlagNames) == kFlagCount);

std::string shownState(const Game &game, int launches)
{
    const GameWindow &w = game.window();
    const GameState &s = game.state();
    std::string out = "{\"txtGame\":" + json(w.txtGame) + ",\"lblAction\":" + json(w.lblAction)
                      + ",\"lblSteps\":" + json(w.lblSteps) + ",\"lblMoney\":" + json(w.lblMoney)
                      + ",\"lblPoints\":" + json(w.lblPoints) + ",\"lblDiff\":" + json(w.lblDiff) + ",\"inv\":[";
    for (std::size_t i = 0; i < w.lblInv.size(); ++i)
        out.append(i ? "," : "").append(json(w.lblInv[i]));
    const auto flag = [](bool b) { return b ? "true" : "false"; };
    out += std::string("],\"con\":") + json(w.txtCon.text()) + ",\"con.sel\":\"" + std::to_string(w.txtCon.selStart())
           + ' ' + std::to_string(w.txtCon.selLength()) + "\",\"con.visible\":" + flag(w.txtCon.visible)
           + ",\"con.enabled\":" + flag(w.txtCon.enabled) + ",\"pwd\":" + json(w.txtPwd.text())
           + ",\"pwd.visible\":" + flag(w.txtPwd.visible) + ",\"list.size\":" + std::to_string(w.lstItems.size())
           + ",\"list.index\":" + std::to_string(w.lstItemsIndex) + ",\"location\":" + std::to_string(s.location)
           + ",\"moves\":" + std::to_string(s.moveCount) + ",\"points\":" + std::to_string(s.points)
           + ",\"money\":" + std::to_string(s.money) + ",\"music\":" + std::to_string(launches) + ",\"flags\":{";
    for (std::size_t i = 0; i < kFlagCount; ++i)
        out.append(i ? ",\"" : "\"").append(kFlagNames[i]).append("\":").append(flag(game.is(i)));
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

class Host {
public:
    void start(bool easy, bool music)
    {
        m_settings.easyMode = easy ? kTrue : kFalse;
        m_settings.musicOn = music ? kTrue : kFalse;
        m_launches = 0;
        m_game = std::make_unique<Game>(m_settings, tarnvaleStory(), [this] { ++m_launches; });
    }
    void line(std::u16string_view text)
    {
        if (!m_game->visibleBox().acceptsInput())
            return;
        typeEach(*m_game, text);
        m_game->key(Key::Enter);
    }
    void type(std::u16string_view text) { typeEach(*m_game, text); }
    bool key(const std::string &name)
    {
        static const std::map<std::string, Key> keys = {
            {"Enter", Key::Enter}, {"Esc", Key::Escape}, {"Up", Key::Up}, {"Backspace", Key::Backspace},
            {"Delete", Key::Delete},
        };
        if (!keys.count(name))
            return false;
        m_game->key(keys.at(name));
        return true;
    }
    void newGame() { m_game->newGame(); }
    std::string state() const { return shownState(*m_game, m_launches); }

private:
    GameSettings m_settings;
    int m_launches = 0;
    std::unique_ptr<Game> m_game;
};

} // namespace

int main()
{
    Host host;
    return tarnvale::test::serveTranscriptSteps(host);
}
