// Hands the program any kept record a hostile page or user could write into
// storage, and checks what must come of it: either the dialog afresh and
// nothing else (no music, no game), or the very game the record describes,
// as its lines played through the program's one input would leave it, with
// the box as recorded; whose own record then brings it back once more. An
// allocation failure on the way leaves the program exactly as it was.
//
// The first byte says how to read the rest: bit 0, the rest is a record's
// body, to which the fuzzer puts the header and the check that a record made
// by the game would carry (the check is no secret: anyone can compute it);
// bit 1, the rest is UTF-16 (little-endian) rather than UTF-8; bits 2-7 (when
// not 0), the allocation of the resume that fails first.
#include "checks.h"
#include "nomemory.h"

#include "engine/digest.h"
#include "engine/program.h"
#include "story/story.h"

#include "utf8.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

using namespace tarnvale;
using namespace tarnvale::fuzz;

namespace {

struct Run {
    GameSettings settings;
    int launches = 0;
    std::unique_ptr<Program> program;

    Run() : program(std::make_unique<Program>(settings, tarnvaleStory(), [this] { ++launches; })) {}
};

[[noreturn]] void fail(const std::string &problem, TextView record)
{
    std::fprintf(stderr, "\n*** kept-game rule broken: %s\n*** the record:\n%s\n", problem.c_str(),
                 test::toUtf8(record.substr(0, 2000)).c_str());
    std::abort();
}

// What a record says, read as plainly as it is written.
struct Kept {
    bool easy = false, music = false;
    std::vector<Window> order;   // the open windows, the game among them
    int start = 0, length = 0, listIndex = -1;
    Text box;
    std::vector<Text> lines;
};

Text unescaped(TextView text)
{
    Text out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\\' && i + 1 < text.size()) {
            ++i;
            out += text[i] == u'r' ? u'\r' : text[i] == u'n' ? u'\n' : text[i];
        } else {
            out += text[i];
        }
    }
    return out;
}

// Only for a record the program took, so its form is known good.
Kept read(TextView record)
{
    Kept k;
    std::vector<TextView> rows;
    while (!record.empty()) {
        const std::size_t end = std::min(record.find(u'\n'), record.size());
        rows.push_back(record.substr(0, end));
        record.remove_prefix(std::min(record.size(), end + 1));
    }
    const auto numbers = [](TextView &fields) {
        const std::size_t end = std::min(fields.find(u' '), fields.size());
        long long n = 0;
        bool negative = false;
        for (const char16_t c : fields.substr(0, end)) {
            if (c == u'-')
                negative = true;
            else
                n = n * 10 + (c - u'0');
        }
        fields.remove_prefix(std::min(fields.size(), end + 1));
        return int(negative ? -n : n);
    };
    for (TextView row : rows) {
        if (row.starts_with(u"settings ")) {
            k.easy = row[9] == u'1';
            k.music = row[11] == u'1';
        } else if (row.starts_with(u"windows")) {
            for (std::size_t at = row.find(u' '); at != TextView::npos; at = row.find(u' ', at + 1))
                k.order.push_back(row.substr(at + 1, 4) == u"game"   ? Window::Game
                                  : row.substr(at + 1, 4) == u"help" ? Window::Help
                                                                     : Window::Author);
        } else if (row.starts_with(u"box ")) {
            TextView fields = row.substr(4);
            k.start = numbers(fields);
            k.length = numbers(fields);
            k.listIndex = numbers(fields);
            k.box = unescaped(fields);
        } else if (row.starts_with(u">")) {
            k.lines.push_back(unescaped(row.substr(std::min<std::size_t>(2, row.size()))));
        }
    }
    return k;
}

// An observation without the visible box and the completion's selection,
// which a record sets directly rather than by input.
Text withoutTheBox(Program &p)
{
    Text all = observed(p);
    Text out;
    for (TextView rest = all; !rest.empty();) {
        const std::size_t end = std::min(rest.find(u'\n'), rest.size());
        const TextView row = rest.substr(0, end);
        if (!row.starts_with(u"txtCon ") && !row.starts_with(u"txtPwd ") && !row.starts_with(u"lstItems ")
            && !row.starts_with(u"game ")) {
            out += row;
            out += u'\n';
        }
        rest.remove_prefix(std::min(rest.size(), end + 1));
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const unsigned how = data[0];
    Text record;
    if (how & 2) {
        for (std::size_t i = 1; i + 1 < size; i += 2)
            record += char16_t(data[i] | data[i + 1] << 8);
    } else {
        record = test::fromUtf8(std::string_view(reinterpret_cast<const char *>(data + 1), size - 1));
    }
    if (how & 1) {
        Digest d;
        d.add(record);
        char hex[17];
        std::snprintf(hex, sizeof hex, "%llx", static_cast<unsigned long long>(d.value()));
        record = u"tarnvale 2\ncheck " + test::fromUtf8(hex) + u"\n" + record;
    }

    // A program with a game under way, which a resume replaces.
    Run r;
    r.program->start(0);
    r.program->press(Window::Dialog, Control::Start, 0);
    r.program->submit(u"осмотреть урну");
    r.launches = 0;
    if (const long n = long(how >> 2); n != 0) {
        const Text before = observed(*r.program), kept = r.program->record();
        if (failsWithoutMemory(n - 1, [&] { r.program->resume(record, 0); })) {
            if (const std::string d = firstDifference(observed(*r.program), before); !d.empty() || r.program->record() != kept)
                fail("a resume out of memory changed the program: " + d, record);
            if (r.launches != 0)
                fail("a resume out of memory launched the music", record);
        }
        // Memory enough: it resumed (or refused) already; the resume below
        // does it again over that.
        r.launches = 0;
    }
    if (!r.program->resume(record, 0)) {
        // The dialog afresh, as a new program shows it.
        Run fresh;
        fresh.program->start(0);
        if (const std::string d = firstDifference(observed(*r.program), observed(*fresh.program)); !d.empty())
            fail("a refused record did not bring the dialog afresh: " + d, record);
        if (r.launches != 0)
            fail("a refused record launched the music", record);
        return 0;
    }

    const Kept k = read(record);
    Text residue = k.lines.empty() ? Text() : k.lines.back();
    residue.erase(std::size_t(std::find_if(residue.begin(), residue.end(), isLineBreak) - residue.begin()));
    checkProgram(*r.program, residue, [&record](const std::string &problem) { fail(problem, record); });
    if (r.launches != (k.music ? 1 : 0))
        fail("the music came back " + std::to_string(r.launches) + " times", record);

    // The game the record describes, played through the one input: help and
    // author that came up before the game opened from a game before it.
    Run q;
    Program &g = *q.program;
    const auto beside = [&g](Window w) { g.press(Window::Game, w == Window::Help ? Control::Help : Control::Author, 0); };
    const auto startGame = [&] {
        g.press(Window::Dialog, k.easy ? Control::Easy : Control::Hard, 0);
        g.press(Window::Dialog, k.music ? Control::MusicOn : Control::MusicOff, 0);
        g.press(Window::Dialog, Control::Start, 0);
    };
    g.start(0);
    const auto game = std::find(k.order.begin(), k.order.end(), Window::Game);
    if (game != k.order.begin()) {
        startGame();
        std::for_each(k.order.begin(), game, beside);
        g.press(Window::Game, Control::New, 0);
    }
    startGame();
    for (const Text &line : k.lines)
        g.submit(line);
    std::for_each(game + 1, k.order.end(), beside);
    if (const std::string d = firstDifference(withoutTheBox(*r.program), withoutTheBox(*q.program)); !d.empty())
        fail("the resumed game is not the game its lines make: " + d, record);
    const View &v = r.program->view();
    const WidgetView &box = *v.visibleBox();
    if (box.text != k.box || box.start != k.start || box.length != k.length
        || v.listIndex != (v.passwordShown ? v.listIndex : k.listIndex))
        fail("the resumed box is not the recorded one", record);

    // And its own record brings it back once more.
    const Text again = r.program->record();
    Run t;
    if (again.empty() || !t.program->resume(again, 0))
        fail("a resumed game's own record was refused", record);
    if (const std::string d = firstDifference(observed(*t.program), observed(*r.program)); !d.empty())
        fail("a resumed game's own record brings back another game: " + d, record);
    if (t.program->record() != again)
        fail("a resumed game's own record changes when it is resumed", record);
    return 0;
}
