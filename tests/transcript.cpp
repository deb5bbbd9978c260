#include "transcript.h"

#include "support.h"
#include "transcript_escape.h"
#include "utf8.h"

#include "story/story.h"

#include <fstream>
#include <iterator>
#include <map>
#include <optional>

namespace tarnvale::test {
namespace {

using namespace story;

using Text = std::u16string;
using View = std::u16string_view;

const std::map<View, FlagIndex> kFlagNames = {
    {u"urnSearched", Flag::urnSearched},       {u"hasEmptyPack", Flag::hasEmptyPack},
    {u"hasCheapCigs", Flag::hasCheapCigs},     {u"hasDearCigs", Flag::hasDearCigs},
    {u"baldDismissed", Flag::baldDismissed},   {u"hasBrick", Flag::hasBrick},
    {u"windowBroken", Flag::windowBroken},     {u"keyNoticed", Flag::keyNoticed},
    {u"hasDiskette", Flag::hasDiskette},       {u"atComputer", Flag::atComputer},
    {u"loggedIn", Flag::loggedIn},             {u"disketteInserted", Flag::disketteInserted},
    {u"fileRead", Flag::fileRead},
};

const std::map<View, Key> kKeyNames = {
    {u"Enter", Key::Enter},         {u"Esc", Key::Escape},      {u"Up", Key::Up},
    {u"Backspace", Key::Backspace}, {u"Delete", Key::Delete},
};

bool startsWith(View s, View prefix) { return s.substr(0, prefix.size()) == prefix; }

Text number(long n)
{
    const std::string digits = std::to_string(n);
    return Text(digits.begin(), digits.end());
}

Text trimmed(View s)
{
    const auto blank = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return Text(s);
}

std::vector<Text> split(View s, char16_t separator, bool skipEmpty)
{
    std::vector<Text> parts;
    for (;;) {
        const std::size_t at = s.find(separator);
        const View part = s.substr(0, at);
        if (!part.empty() || !skipEmpty)
            parts.emplace_back(part);
        if (at == View::npos)
            return parts;
        s.remove_prefix(at + 1);
    }
}

// A value as a failure shows it: in «», with its CR LF line breaks as ⏎.
std::string shown(View s)
{
    Text v;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == u'\r' && i + 1 < s.size() && s[i + 1] == u'\n') {
            v += u'⏎';
            ++i;
        } else {
            v += s[i];
        }
    }
    return toUtf8(u"«" + v + u"»");
}

Text boolText(bool b) { return b ? u"true" : u"false"; }

class Runner {
public:
    Runner(const std::string &path, const Text &mode, const std::vector<Text> &lines, bool music)
        : m_path(path), m_mode(mode), m_lines(lines), m_music(music) {}

    std::vector<std::string> run()
    {
        m_easy = m_mode == u"easy";
        start();
        for (m_lineNo = 1; m_lineNo <= int(m_lines.size()); ++m_lineNo) {
            View line = m_lines[std::size_t(m_lineNo - 1)];
            if (!line.empty() && line.back() == u'\r')
                line.remove_suffix(1);
            if (!startsWith(line, u"="))
                flushExpected();
            if (line.empty() || startsWith(line, u"#") || startsWith(line, u"@"))
                continue;
            if (startsWith(line, u"[")) {
                const std::size_t close = line.find(u"] ");
                if (close == View::npos) {
                    fail("unclosed mode prefix");
                    continue;
                }
                if (line.substr(1, close - 1) != m_mode)
                    continue;
                line.remove_prefix(close + 2);
            }
            step(line);
        }
        ++m_lineNo;
        flushExpected();
        return m_failures;
    }

private:
    void start()
    {
        m_game.emplace(m_easy, m_music, [this] { ++m_launches; });
    }

    Game &game() { return *m_game->game; }

    void fail(const std::string &what)
    {
        m_failures.push_back(m_path + ':' + std::to_string(m_lineNo) + " [" + toUtf8(m_mode) + "] " + what);
    }

    void expect(View what, View actual, View expected)
    {
        if (actual != expected)
            fail(toUtf8(what) + ": expected " + shown(expected) + ", got " + shown(actual));
    }

    void flushExpected()
    {
        if (!m_expected)
            return;
        const int line = m_lineNo;
        m_lineNo = m_expectedLine;
        Text joined;
        for (std::size_t i = 0; i < m_expected->size(); ++i)
            joined += (i ? u"\r\n" : u"") + (*m_expected)[i];
        expect(u"output", game().window().txtGame, joined);
        m_lineNo = line;
        m_expected.reset();
    }

    void step(View line)
    {
        const std::size_t space = line.find(u' ');
        const View verb = line.substr(0, space);
        const Text arg = space == View::npos ? Text() : unescapeTranscript(line.substr(space + 1));
        if (verb == u">") {
            game().submit(arg);
        } else if (verb == u"=") {
            if (!m_expected) {
                m_expected.emplace();
                m_expectedLine = m_lineNo;
            }
            m_expected->push_back(arg);
        } else if (verb == u"~") {
            if (game().window().txtGame.find(arg) == Text::npos)
                fail("output " + shown(game().window().txtGame) + " lacks " + shown(arg));
        } else if (verb == u"key") {
            const auto key = kKeyNames.find(arg);
            if (key == kKeyNames.end())
                return fail("unknown key " + toUtf8(arg));
            game().key(key->second);
        } else if (verb == u"type") {
            for (std::size_t i = 0; i < arg.size(); ++i)
                game().type(View(arg).substr(i, 1));
        } else if (verb == u"newgame") {
            game().newGame();
        } else if (verb == u"?") {
            check(arg);
        } else {
            fail("unknown step " + toUtf8(verb));
        }
    }

    void check(View arg)
    {
        const std::size_t space = arg.find(u' ');
        const View field = arg.substr(0, space);
        const View value = space == View::npos ? View() : arg.substr(space + 1);
        const GameWindow &w = game().window();
        const GameState &s = game().state();
        if (field == u"lblAction") return expect(field, w.lblAction, value);
        if (field == u"lblSteps") return expect(field, w.lblSteps, value);
        if (field == u"lblMoney") return expect(field, w.lblMoney, value);
        if (field == u"lblPoints") return expect(field, w.lblPoints, value);
        if (field == u"lblDiff") return expect(field, w.lblDiff, value);
        if (startsWith(field, u"inv")) {
            const View digits = field.substr(3);
            if (digits.size() != 1 || digits[0] < u'0' || digits[0] > u'9')
                return fail("bad inventory slot " + toUtf8(field));
            return expect(field, w.lblInv[std::size_t(digits[0] - u'0')], value);
        }
        if (field == u"location") return expect(field, number(s.location), value);
        if (field == u"moves") return expect(field, number(s.moveCount), value);
        if (field == u"points") return expect(field, number(s.points), value);
        if (field == u"money") return expect(field, number(s.money), value);
        if (field == u"music") return expect(field, number(m_launches), value);
        if (field == u"flag") {
            const std::vector<Text> parts = split(value, u' ', false);
            if (parts.size() != 2 || !kFlagNames.count(parts[0]))
                return fail("bad flag check " + toUtf8(value));
            return expect(parts[0], boolText(game().is(kFlagNames.at(parts[0]))), parts[1]);
        }
        if (field == u"con") return expect(field, w.txtCon.text(), value);
        if (field == u"con.sel")
            return expect(field, number(w.txtCon.selStart()) + u' ' + number(w.txtCon.selLength()), value);
        if (field == u"con.visible") return expect(field, boolText(w.txtCon.visible), value);
        if (field == u"con.enabled") return expect(field, boolText(w.txtCon.enabled), value);
        if (field == u"pwd") return expect(field, w.txtPwd.text(), value);
        if (field == u"pwd.visible") return expect(field, boolText(w.txtPwd.visible), value);
        if (field == u"list.size") return expect(field, number(w.lstItems.size()), value);
        if (field == u"list.index") return expect(field, number(w.lstItemsIndex), value);
        fail("unknown check " + toUtf8(field));
    }

    std::string m_path;
    Text m_mode;
    const std::vector<Text> &m_lines;
    bool m_music = false;
    std::vector<std::string> m_failures;
    std::optional<StoryGame> m_game;
    std::optional<std::vector<Text>> m_expected;
    int m_expectedLine = 0;
    int m_lineNo = 0;
    int m_launches = 0;
    bool m_easy = false;
};

} // namespace

std::vector<std::string> runTranscript(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return {path + ": cannot open"};
    const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    const std::vector<Text> lines = split(fromUtf8(bytes), u'\n', false);

    std::vector<Text> modes{u"hard"};
    bool music = false;
    for (const Text &line : lines) {
        if (startsWith(line, u"@modes "))
            modes = split(trimmed(View(line).substr(7)), u' ', true);
        else if (trimmed(line) == u"@music")
            music = true;
    }
    std::vector<std::string> failures;
    for (const Text &mode : modes) {
        if (mode != u"hard" && mode != u"easy") {
            failures.push_back(path + ": unknown mode " + toUtf8(mode));
            continue;
        }
        const std::vector<std::string> found = Runner(path, mode, lines, music).run();
        failures.insert(failures.end(), found.begin(), found.end());
    }
    return failures;
}

} // namespace tarnvale::test
