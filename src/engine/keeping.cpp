// A game kept as text across a restart of its front-end (a page reloaded, a
// browser tab brought back). What is kept is what the player did, not what
// the game holds: the dialog's settings and the lines submitted, played again
// into a fresh game, then the open windows and the visible box as they were.
//
//   tarnvale 1
//   settings EASY MUSIC          0 or 1 each
//   windows HELP AUTHOR          0 or 1 each, beside the game
//   box START LENGTH LIST TEXT   the visible box; LIST is the completion's item or -1
//   digest HEX                   of the state the lines lead to
//   > LINE                       one for every line submitted, in order
//
// Texts escape the backslash, CR and LF as \\, \r and \n.
#include "engine/program.h"

#include "engine/game.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <optional>
#include <vector>

namespace tarnvale {

namespace {

constexpr std::u16string_view kHeader = u"tarnvale 1";

void appendEscaped(std::u16string &out, std::u16string_view text)
{
    for (const char16_t c : text) {
        switch (c) {
        case u'\\': out += u"\\\\"; break;
        case u'\r': out += u"\\r"; break;
        case u'\n': out += u"\\n"; break;
        default: out += c;
        }
    }
}

std::optional<std::u16string> unescaped(std::u16string_view text)
{
    std::u16string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != u'\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size())
            return std::nullopt;
        switch (text[i]) {
        case u'\\': out += u'\\'; break;
        case u'r': out += u'\r'; break;
        case u'n': out += u'\n'; break;
        default: return std::nullopt;
        }
    }
    return out;
}

void appendNumber(std::u16string &out, long long n)
{
    for (const char c : std::to_string(n))
        out += char16_t(c);
}

// Reads a record line by line, each a word and its fields.
class Reader {
public:
    explicit Reader(std::u16string_view text) : m_rest(text) {}

    bool atEnd() const { return m_rest.empty(); }

    // The next line, which must begin with `word` and a space (or be `word`).
    std::optional<std::u16string_view> line(std::u16string_view word)
    {
        const std::size_t end = m_rest.find(u'\n');
        std::u16string_view line = m_rest.substr(0, end);
        m_rest = end == std::u16string_view::npos ? std::u16string_view{} : m_rest.substr(end + 1);
        if (line == word)
            return std::u16string_view{};
        if (line.size() <= word.size() || line.substr(0, word.size()) != word || line[word.size()] != u' ')
            return std::nullopt;
        return line.substr(word.size() + 1);
    }

    // A whole number at the start of `fields`, which then goes past it and a space.
    template <typename T = long long>
    static std::optional<T> number(std::u16string_view &fields, int base = 10)
    {
        std::string digits;
        std::size_t i = 0;
        for (; i < fields.size() && fields[i] != u' '; ++i) {
            if (fields[i] > 0x7f)
                return std::nullopt;
            digits += char(fields[i]);
        }
        T value = 0;
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
        if (digits.empty() || error != std::errc{} || end != digits.data() + digits.size())
            return std::nullopt;
        fields.remove_prefix(std::min(fields.size(), i + 1));
        return value;
    }

    static std::optional<bool> flag(std::u16string_view &fields)
    {
        const std::optional<long long> n = number(fields);
        if (!n || (*n != 0 && *n != 1))
            return std::nullopt;
        return *n == 1;
    }

private:
    std::u16string_view m_rest;
};

} // namespace

std::u16string Program::record() const
{
    const Game *g = isOpen(Window::Game) ? m_game.get() : nullptr;
    if (!g || m_finished)
        return {};
    std::u16string out(kHeader);
    out += u"\nsettings ";
    appendNumber(out, m_settings.easyMode != kFalse);
    out += u' ';
    appendNumber(out, m_settings.musicOn != kFalse);
    out += u"\nwindows ";
    appendNumber(out, isOpen(Window::Help));
    out += u' ';
    appendNumber(out, isOpen(Window::Author));
    const TextBox &box = g->visibleBox();
    out += u"\nbox ";
    appendNumber(out, box.selStart());
    out += u' ';
    appendNumber(out, box.selLength());
    out += u' ';
    appendNumber(out, g->passwordShown() ? -1 : g->window().lstItemsIndex);
    out += u' ';
    appendEscaped(out, box.text());
    out += u"\ndigest ";
    char hex[17];
    const auto [end, error] = std::to_chars(hex, hex + sizeof hex, g->fingerprint(), 16);
    out.append(hex, end);
    for (std::size_t i = 0; i < g->submittedCount(); ++i) {
        out += u"\n> ";
        appendEscaped(out, g->submitted(i));
    }
    return out;
}

bool Program::resume(std::u16string_view record, Millis now)
{
    if (replay(record, now))
        return true;
    m_game.reset();
    m_open.fill(false);
    m_order.clear();
    m_finished = false;
    start(now);
    return false;
}

bool Program::replay(std::u16string_view record, Millis now)
{
    Reader in(record);
    if (!in.line(kHeader))
        return false;
    std::optional<std::u16string_view> settings = in.line(u"settings");
    std::optional<std::u16string_view> windows = in.line(u"windows");
    std::optional<std::u16string_view> box = in.line(u"box");
    std::optional<std::u16string_view> digest = in.line(u"digest");
    if (!settings || !windows || !box || !digest)
        return false;
    const std::optional<bool> easy = Reader::flag(*settings), music = Reader::flag(*settings);
    const std::optional<bool> help = Reader::flag(*windows), author = Reader::flag(*windows);
    const std::optional<long long> start = Reader::number(*box), length = Reader::number(*box),
                                   listIndex = Reader::number(*box);
    const std::optional<std::u16string> boxText = unescaped(*box);
    const std::optional<std::uint64_t> expected = Reader::number<std::uint64_t>(*digest, 16);
    if (!easy || !music || !help || !author || !start || !length || !listIndex || !boxText || !expected)
        return false;

    std::vector<std::u16string> lines;
    while (!in.atEnd()) {
        const std::optional<std::u16string_view> line = in.line(u">");
        const std::optional<std::u16string> text = line ? unescaped(*line) : std::nullopt;
        if (!text)
            return false;
        lines.push_back(*text);
    }

    m_settings.easyMode = *easy ? kTrue : kFalse;
    m_settings.musicOn = *music ? kTrue : kFalse;
    changed();
    m_open.fill(false);
    m_order.clear();
    m_finished = false;
    m_game = std::make_unique<Game>(m_settings, m_story, m_launchMusic);
    try {
        for (const std::u16string &line : lines) {
            if (!m_game->submit(line))
                return false;
        }
    } catch (...) {
        return false;
    }
    if (m_game->fingerprint() != *expected)
        return false;
    const auto clampInt = [](long long n) { return int(std::clamp<long long>(n, -1, 1 << 30)); };
    m_game->restoreBox(*boxText, clampInt(*start), clampInt(*length), clampInt(*listIndex));
    open(Window::Game, now);
    if (*help)
        open(Window::Help, now);
    if (*author)
        open(Window::Author, now);
    return true;
}

} // namespace tarnvale
