// A game kept as text across a restart of its front-end (a page reloaded, a
// browser tab brought back). What is kept is what the player did, not what
// the game holds: the dialog's settings and the lines submitted, played again
// into a fresh game, then the open windows and the visible box as they were.
//
//   tarnvale 2
//   check HEX                    a digest of everything below it
//   settings EASY MUSIC          0 or 1 each
//   windows game [help] [author] the open windows in the order they came up (any order)
//   box START LENGTH LIST TEXT   the visible box; LIST is the completion's item or -1
//   digest HEX                   of the state the lines lead to
//   > LINE                       one for every line submitted, in order
//
// Texts escape the backslash, CR and LF as \\, \r and \n. A record is at
// most kMaxRecordLines lines and kMaxRecordUnits UTF-16 units long: a record
// past that, or one whose check does not hold, is refused before anything
// is played.
#include "engine/program.h"

#include "engine/digest.h"
#include "engine/game.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <optional>
#include <vector>

namespace tarnvale {

namespace {

constexpr std::u16string_view kHeader = u"tarnvale 2";

std::uint64_t checkOf(std::u16string_view body)
{
    Digest d;
    d.add(body);
    return d.value();
}

void appendHex(std::u16string &out, std::uint64_t n)
{
    char hex[17];
    const auto [end, error] = std::to_chars(hex, hex + sizeof hex, n, 16);
    out.append(hex, end);
}

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
    std::u16string_view rest() const { return m_rest; }

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

    // "0" or "1", exactly.
    static std::optional<bool> flag(std::u16string_view &fields)
    {
        const std::u16string_view word = fields.substr(0, fields.find(u' '));
        if (word != u"0" && word != u"1")
            return std::nullopt;
        fields.remove_prefix(std::min(fields.size(), word.size() + 1));
        return word == u"1";
    }

private:
    std::u16string_view m_rest;
};

} // namespace

std::u16string Program::record() const
{
    const Game *g = isOpen(Window::Game) ? m_game.get() : nullptr;
    if (!g || m_finished || !keepable())
        return {};
    std::u16string body = u"settings ";
    appendNumber(body, m_settings.easyMode != kFalse);
    body += u' ';
    appendNumber(body, m_settings.musicOn != kFalse);
    body += u"\nwindows";
    for (const Window w : m_order)
        body += w == Window::Game ? u" game" : w == Window::Help ? u" help" : u" author";
    const TextBox &box = g->visibleBox();
    body += u"\nbox ";
    appendNumber(body, box.selStart());
    body += u' ';
    appendNumber(body, box.selLength());
    body += u' ';
    appendNumber(body, g->passwordShown() ? -1 : g->window().lstItemsIndex);
    body += u' ';
    appendEscaped(body, box.text());
    body += u"\ndigest ";
    appendHex(body, g->fingerprint());
    for (std::size_t i = 0; i < g->submittedCount(); ++i) {
        body += u"\n> ";
        appendEscaped(body, g->submitted(i));
    }
    std::u16string out(kHeader);
    out += u"\ncheck ";
    appendHex(out, checkOf(body));
    out += u'\n';
    out += body;
    return out;
}

bool Program::keepable() const
{
    const Game *g = isOpen(Window::Game) ? m_game.get() : nullptr;
    if (!g)
        return true;
    // The lines escaped at most double; the rest is a few hundred units.
    std::size_t units = 512 + 2 * g->visibleBox().text().size();
    for (std::size_t i = 0; i < g->submittedCount() && units <= kMaxRecordUnits; ++i)
        units += 3 + 2 * g->submitted(i).size();
    return g->submittedCount() <= kMaxRecordLines && units <= kMaxRecordUnits;
}

bool Program::resume(std::u16string_view record, Millis now)
{
    if (replay(record, now))
        return true;
    start(now);
    return false;
}

bool Program::replay(std::u16string_view record, Millis now)
{
    // Refused at once: a record too long to be any game's, or changed since
    // it was made (by hand, or cut short).
    if (record.size() > kMaxRecordUnits)
        return false;
    if (std::size_t(std::count(record.begin(), record.end(), u'\n')) > kMaxRecordLines + 8)
        return false;
    Reader in(record);
    const std::optional<std::u16string_view> header = in.line(kHeader);
    std::optional<std::u16string_view> check = in.line(u"check");
    const std::optional<std::uint64_t> checked = check ? Reader::number<std::uint64_t>(*check, 16) : std::nullopt;
    if (!header || !checked || *checked != checkOf(in.rest()))
        return false;
    std::optional<std::u16string_view> settings = in.line(u"settings");
    std::optional<std::u16string_view> windows = in.line(u"windows");
    std::optional<std::u16string_view> box = in.line(u"box");
    std::optional<std::u16string_view> digest = in.line(u"digest");
    if (!settings || !windows || !box || !digest)
        return false;
    const std::optional<bool> easy = Reader::flag(*settings), music = Reader::flag(*settings);
    const std::optional<long long> start = Reader::number(*box), length = Reader::number(*box),
                                   listIndex = Reader::number(*box);
    const std::optional<std::u16string> boxText = unescaped(*box);
    const std::optional<std::uint64_t> expected = Reader::number<std::uint64_t>(*digest, 16);
    if (!easy || !music || !settings->empty() || !start || !length || !listIndex || !boxText || !expected)
        return false;
    // The game, and help and author if open, each once, in the order they came up.
    std::vector<Window> order;
    for (std::u16string_view rest = *windows; !rest.empty();) {
        const std::size_t end = std::min(rest.find(u' '), rest.size());
        const std::u16string_view name = rest.substr(0, end);
        const Window w = name == u"game" ? Window::Game : name == u"help" ? Window::Help : Window::Author;
        if ((name != u"game" && name != u"help" && name != u"author")
            || std::find(order.begin(), order.end(), w) != order.end())
            return false;
        order.push_back(w);
        rest.remove_prefix(std::min(rest.size(), end + 1));
    }
    if (std::find(order.begin(), order.end(), Window::Game) == order.end())
        return false;
    std::vector<std::u16string> lines;
    while (!in.atEnd()) {
        const std::optional<std::u16string_view> line = in.line(u">");
        std::optional<std::u16string> text = line ? unescaped(*line) : std::nullopt;
        if (!text)
            return false;
        lines.push_back(std::move(*text));
    }
    const auto inRange = [](long long n) { return n >= -1 && n <= (1ll << 30); };
    if (lines.size() > kMaxRecordLines || !inRange(*start) || !inRange(*length) || !inRange(*listIndex))
        return false;

    // The lines played into a game of its own, with no music while they
    // are: the program is touched only once the game has come back whole.
    // Should anything fail on the way (no memory left), the program stays
    // as it was and the failure goes on to the caller.
    const GameSettings before = m_settings;
    m_settings.easyMode = *easy ? kTrue : kFalse;
    m_settings.musicOn = *music ? kTrue : kFalse;
    std::unique_ptr<Game> game;
    bool same = true;
    try {
        game = std::make_unique<Game>(m_settings, m_story);
        for (const std::u16string &line : lines) {
            if (!game->submit(line)) {
                same = false;
                break;
            }
        }
        same = same && game->fingerprint() == *expected
               && game->restoreBox(*boxText, int(*start), int(*length), int(*listIndex));
    } catch (...) {
        m_settings = before;
        throw;
    }
    if (!same) {
        m_settings = before;
        return false;
    }
    changed();
    m_game = std::move(game);
    m_open.fill(false);
    m_order.clear();
    m_finished = false;
    for (const Window w : order)
        open(w, now);
    // The game's music comes back with it.
    if (m_settings.musicOn == kTrue && m_launchMusic)
        m_launchMusic();
    return true;
}

} // namespace tarnvale
