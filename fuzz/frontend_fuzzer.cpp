// Feeds raw bytes to the line-mode front-end as its standard input, in both
// layouts and both difficulties, and checks what comes out: one screen before
// the first line and one after every line; in JSON every screen one valid
// object on a line of its own, whose last command is the line read, exactly,
// with U+FFFD for each bad byte; on standard error exactly the notes that the
// lines call for; the human layout with the same notes and the same number of
// screens. The lines are found and decoded here independently of the
// front-end. A broken rule prints what was wrong and aborts.
#include "ui/qtstrings.h"
#include "app/textfrontend.h"
#include "engine/completion.h"
#include "engine/gamestate.h"
#include "story/windows.h"
#include "story/dictionary.h"

#include "checks.h"
#include "utf8.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

using namespace tarnvale;
using test::fromUtf8;
using test::toUtf8;

namespace {

[[noreturn]] __attribute__((format(printf, 1, 2))) void fail(const char *format, ...)
{
    std::fputs("\n*** front-end rule broken: ", stderr);
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputc('\n', stderr);
    std::abort();
}

struct Line {
    std::u16string text;   // as the game must receive it
    bool valid;            // the bytes were UTF-8 throughout
};

// The lines of the input as a player means them: a byte-order mark opening
// the input is no part of it; a line ends at "\n", an "\r" before it
// belongs to the terminator; a last line may lack it.
std::vector<Line> linesOf(std::string_view input)
{
    if (input.starts_with("\xef\xbb\xbf"))
        input.remove_prefix(3);
    std::vector<Line> lines;
    while (!input.empty()) {
        const std::size_t end = input.find('\n');
        std::string_view bytes = input.substr(0, end);
        if (end == std::string_view::npos) {
            input = {};
        } else {
            input.remove_prefix(end + 1);
            if (bytes.ends_with('\r'))
                bytes.remove_suffix(1);
        }
        std::u16string text = fromUtf8(bytes);
        const bool valid = toUtf8(text) == bytes;
        lines.push_back({std::move(text), valid});
    }
    return lines;
}

struct Output {
    int status = -1;
    std::string out;
    std::string err;
};

Output run(const std::uint8_t *data, std::size_t size, bool json, bool easy)
{
    // fmemopen wants a buffer even for nothing.
    static char nothing = 0;
    std::FILE *in = size ? fmemopen(const_cast<std::uint8_t *>(data), size, "r") : fmemopen(&nothing, 1, "r");
    if (!size)
        std::fgetc(in);   // at its end from the start
    char *outBuf = nullptr, *errBuf = nullptr;
    std::size_t outLen = 0, errLen = 0;
    std::FILE *out = open_memstream(&outBuf, &outLen);
    std::FILE *err = open_memstream(&errBuf, &errLen);
    if (!in || !out || !err)
        fail("cannot open the memory streams");

    GameSettings settings;
    settings.easyMode = easy ? kTrue : kFalse;
    settings.musicOn = kFalse;
    TextOptions options;
    options.json = json;
    int launches = 0;
    Output result;
    result.status = runTextGame(settings, options, [&launches] { ++launches; }, in, out, err);
    std::fclose(in);
    std::fclose(out);
    std::fclose(err);
    result.out.assign(outBuf, outLen);
    result.err.assign(errBuf, errLen);
    std::free(outBuf);
    std::free(errBuf);
    if (launches != 0)
        fail("the music was launched without being asked for");
    return result;
}

// The value of the JSON string that opens `json` at `pos`, read here
// rather than by Qt's parser, which drops a U+FEFF that opens a string.
std::u16string jsonString(std::string_view json, std::size_t &pos)
{
    if (pos >= json.size() || json[pos] != '"')
        fail("no string where one must be");
    ++pos;
    std::string raw;
    std::u16string text;
    const auto flushRaw = [&] {
        text += fromUtf8(raw);
        raw.clear();
    };
    while (pos < json.size() && json[pos] != '"') {
        const char c = json[pos++];
        if (static_cast<unsigned char>(c) < 0x20)
            fail("a raw control character 0x%02x inside a JSON string", unsigned(c));
        if (c != '\\') {
            raw += c;
            continue;
        }
        flushRaw();
        if (pos >= json.size())
            fail("a JSON string ends in a backslash");
        const char e = json[pos++];
        switch (e) {
        case '"': text += u'"'; break;
        case '\\': text += u'\\'; break;
        case '/': text += u'/'; break;
        case 'b': text += u'\b'; break;
        case 'f': text += u'\f'; break;
        case 'n': text += u'\n'; break;
        case 'r': text += u'\r'; break;
        case 't': text += u'\t'; break;
        case 'u': {
            if (pos + 4 > json.size())
                fail("a cut \\u escape");
            const std::string hex(json.substr(pos, 4));
            char *endp = nullptr;
            const unsigned long unit = std::strtoul(hex.c_str(), &endp, 16);
            if (endp != hex.c_str() + 4)
                fail("a bad \\u escape «%s»", hex.c_str());
            text += char16_t(unit);
            pos += 4;
            break;
        }
        default:
            fail("an unknown escape \\%c", e);
        }
    }
    flushRaw();
    if (pos >= json.size())
        fail("an unterminated JSON string");
    ++pos;
    return text;
}

std::vector<std::string_view> splitLines(std::string_view out)
{
    std::vector<std::string_view> lines;
    while (!out.empty()) {
        const std::size_t end = out.find('\n');
        if (end == std::string_view::npos)
            fail("the output does not end with a line break");
        lines.push_back(out.substr(0, end));
        out.remove_prefix(end + 1);
    }
    return lines;
}

// What typing `line` into the command box of an easy game leaves there: each
// character replaces the completed tail, and the text then becomes the first
// phrase of the dictionary that it begins, letters folded, if there is one.
std::u16string typedInEasyGame(std::u16string_view line)
{
    std::u16string text;
    std::size_t typed = 0;   // how much of the text the player typed; the rest is completed
    for (std::size_t i = 0; i < line.size();) {
        const bool pair = i + 1 < line.size() && QChar::isHighSurrogate(line[i]) && QChar::isLowSurrogate(line[i + 1]);
        const std::size_t n = pair ? 2 : 1;
        text.resize(typed);
        text.append(line.substr(i, n));
        typed += n;
        i += n;
        for (const std::u16string_view phrase : story::kDictionary) {
            if (startsWithFolded(phrase, text)) {
                text = phrase;
                break;
            }
        }
    }
    return text;
}

std::string note(std::size_t lineNo, const char *what)
{
    char buf[160];
    std::snprintf(buf, sizeof buf, "tarnvale: line %zu %s\n", lineNo, what);
    return buf;
}

// Returns the notes standard error had to carry.
std::string checkJson(const Output &run, const std::vector<Line> &lines, bool easy)
{
    if (run.status != 0)
        fail("status %d", run.status);
    const std::vector<std::string_view> screens = splitLines(run.out);
    if (screens.size() != lines.size() + 1)
        fail("%zu JSON lines for %zu input lines", screens.size(), lines.size());

    std::string notes;
    std::u16string lastCommand;
    bool over = false;
    bool password = false;   // the password box took the line
    for (std::size_t i = 0; i < screens.size(); ++i) {
        const std::string_view screen = screens[i];
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(QByteArray(screen.data(), qsizetype(screen.size())), &error);
        if (error.error != QJsonParseError::NoError || !doc.isObject())
            fail("screen %zu is not one JSON object: %s", i, qPrintable(error.errorString()));
        const QJsonObject o = doc.object();
        for (const char *key : {"txtGame", "lblAction", "lblSteps", "lblMoney", "lblPoints", "lblDiff"}) {
            if (!o.value(QLatin1StringView(key)).isString())
                fail("screen %zu: %s is no string", i, key);
        }
        if (o.value(u"lblInv").toArray().size() != qsizetype(std::size(windows::kInventoryNames)))
            fail("screen %zu: not ten inventory slots", i);
        if (o.value(u"lblDiff").toString() != (easy ? u"простая игра" : u"сложная игра"))
            fail("screen %zu: the difficulty", i);

        // The member itself, found in the text: a quote inside a string is
        // escaped, so the key with its colon occurs nowhere else.
        static constexpr std::string_view kKey = "\"lblAction\":";
        std::size_t pos = screen.find(kKey);
        if (pos == std::string_view::npos || pos == 0 || (screen[pos - 1] != '{' && screen[pos - 1] != ','))
            fail("screen %zu: no lblAction member in the text", i);
        pos += kKey.size();
        const std::u16string action = jsonString(screen, pos);
        if (toQString(action) != o.value(u"lblAction").toString() && !action.starts_with(u'\uFEFF'))
            fail("screen %zu: Qt reads the last command otherwise", i);

        if (i > 0) {
            const Line &line = lines[i - 1];
            if (!line.valid)
                notes += note(i, "is not valid UTF-8; the bad bytes were read as U+FFFD");
            if (over) {
                notes += note(i, "ignored: the game is over");
                if (action != lastCommand)
                    fail("line %zu changed the last command after the end of the game", i);
            } else {
                // A line with a break inside it cannot be typed into the box:
                // it goes in whole, as read, uncompleted.
                const bool typed = easy && !password && !fuzz::holdsLineBreak(line.text);
                if (action != (typed ? typedInEasyGame(line.text) : line.text))
                    fail("line %zu «%s» came back as «%s»", i, toUtf8(line.text).c_str(), toUtf8(action).c_str());
            }
        } else if (!action.empty()) {
            fail("a last command before any line");
        }
        lastCommand = action;
        const QJsonObject con = o.value(u"txtCon").toObject();
        const QJsonObject pwd = o.value(u"txtPwd").toObject();
        if (con.value(u"visible").toBool() == pwd.value(u"visible").toBool())
            fail("screen %zu: the command and password boxes are both %s", i,
                 pwd.value(u"visible").toBool() ? "shown" : "hidden");
        over = !pwd.value(u"visible").toBool() && !con.value(u"enabled").toBool();
        password = pwd.value(u"visible").toBool();
    }
    return notes;
}

void checkHuman(const Output &o, const std::vector<Line> &lines, const std::string &notes)
{
    if (o.status != 0)
        fail("status %d in the human layout", o.status);
    if (o.err != notes)
        fail("standard error in the human layout:\n%s\ninstead of\n%s", o.err.c_str(), notes.c_str());
    if (toUtf8(fromUtf8(o.out)) != o.out)
        fail("the human layout is not UTF-8");
    // Every screen ends with its status line and an empty line.
    std::size_t screens = 0;
    for (std::string_view line : splitLines(o.out)) {
        if (line.starts_with("[ ") && line.ends_with(" ]") && line.find(" руб. | ") != std::string_view::npos)
            ++screens;
    }
    if (screens != lines.size() + 1)
        fail("%zu human screens for %zu lines", screens, lines.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::vector<Line> lines = linesOf({reinterpret_cast<const char *>(data), size});
    for (const bool easy : {false, true}) {
        const Output json = run(data, size, true, easy);
        const std::string notes = checkJson(json, lines, easy);
        if (json.err != notes)
            fail("standard error:\n%s\ninstead of\n%s", json.err.c_str(), notes.c_str());
        checkHuman(run(data, size, false, easy), lines, notes);
    }
    return 0;
}
