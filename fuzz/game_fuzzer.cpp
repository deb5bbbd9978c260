// Plays the real story through the program's one input, as any front-end
// does, with whatever a player could do: keys, typing, the text widget's own
// edits, selections, pastes, presses of any button of any window, windows
// shown and closed, whole lines, a reload of the page, and no memory left. It
// checks after every step what must hold in any game (fuzz/checks.h) and what
// the step itself must have done. The input is read as a sequence of actions
// (fuzz/actions.h). A broken rule prints what was wrong and the steps that
// led there, and aborts.
#include "actions.h"
#include "checks.h"
#include "nomemory.h"

#include "engine/description.h"
#include "engine/program.h"
#include "story/story.h"

#include "utf8.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using namespace tarnvale;
using namespace tarnvale::story;
using namespace tarnvale::fuzz;
using test::fromUtf8;
using test::toUtf8;

namespace {

// Reads operands; a missing byte reads as 0.
class Reader {
public:
    Reader(const std::uint8_t *data, std::size_t size) : m_data(data), m_size(size) {}
    bool atEnd() const { return m_pos >= m_size; }
    std::size_t pos() const { return m_pos; }
    void seek(std::size_t pos) { m_pos = pos; }
    unsigned u8() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    unsigned u16() { const unsigned lo = u8(); return lo | (u8() << 8); }
    unsigned u32() { const unsigned lo = u16(); return lo | (u16() << 16); }
    std::string bytes(std::size_t n)
    {
        n = std::min(n, m_size - std::min(m_pos, m_size));
        std::string out(reinterpret_cast<const char *>(m_data + m_pos), n);
        m_pos += n;
        return out;
    }
    Text utf16(std::size_t units)
    {
        Text out;
        for (std::size_t i = 0; i < units && !atEnd(); ++i)
            out += char16_t(u16());
        return out;
    }

private:
    const std::uint8_t *m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

// Steps checked over the whole run, reported when the fuzzer ends.
long g_stepsChecked = 0;

// Bounds the work one input may ask for, so that every run stays short:
// its steps, and what they cost, which grows with the text in the box (every
// check reads it whole) and with the record a reload plays.
constexpr long kStepBudget = 40000;
constexpr long long kTextBudget = 1ll << 27;

const windows::Description &description() { return *tarnvaleStory().windows; }

// One program and what came of it: the music it launched.
struct Run {
    GameSettings settings;
    int launches = 0;
    std::unique_ptr<Program> program;

    Run() : program(std::make_unique<Program>(settings, tarnvaleStory(), [this] { ++launches; })) {}
};

// The game window of a fresh game of each difficulty, as it first shows.
Text freshGameWindow(bool easy)
{
    Run r;
    r.program->start(0);
    r.program->press(Window::Dialog, easy ? Control::Easy : Control::Hard, 0);
    r.program->press(Window::Dialog, Control::Start, 0);
    return observed(*r.program);
}

class Player {
public:
    Player() { m_run->program->start(m_now); check("start"); }

    void play(const std::uint8_t *data, std::size_t size)
    {
        Reader in(data, size);
        std::vector<std::size_t> done;   // where each action's bytes begin
        while (!in.atEnd() && !spent()) {
            const std::size_t start = in.pos();
            const unsigned op = in.u8() % OpCount;
            if (op == Repeat) {
                const std::size_t k = std::min<std::size_t>(in.u8() % kMaxRepeatActions + 1, done.size());
                unsigned times = in.u8();
                times = times == kLong ? in.u16() % kMaxRepeat + 1 : times % 16 + 1;
                const std::size_t resume = in.pos();
                for (unsigned t = 0; t < times && !spent(); ++t) {
                    for (std::size_t i = done.size() - k; i < done.size(); ++i) {
                        in.seek(done[i]);
                        perform(in, in.u8() % OpCount);
                    }
                }
                in.seek(resume);
                continue;
            }
            perform(in, op);
            done.push_back(start);
        }
        if (m_shadow)
            compareRecords();
    }

private:
    // What a step is to do, so that it can be checked.
    enum class Kind {
        Edit,            // anything in the box that is not a turn
        Turn,            // Enter that the command box takes
        PasswordEnter,   // Enter that the password box takes
        Refused,         // nothing takes it: nothing may change
        Flow,            // the windows: presses, shows, closes
    };

    Program &program() { return *m_run->program; }
    const View &view() { return program().view(); }

    // The box on screen takes input: the game is open and its box enabled.
    bool boxTakes()
    {
        const WidgetView *box = view().visibleBox();
        return box && box->visible && box->enabled;
    }
    Kind editKind() { return boxTakes() ? Kind::Edit : Kind::Refused; }
    Kind enterKind() { return !boxTakes() ? Kind::Refused : view().passwordShown ? Kind::PasswordEnter : Kind::Turn; }
    bool spent() const { return m_steps >= kStepBudget || m_text >= kTextBudget; }

    Text boxText()
    {
        const WidgetView *box = view().visibleBox();
        return box ? Text(box->text) : Text();
    }

    // --- the actions ---------------------------------------------------------

    void perform(Reader &in, unsigned op)
    {
        switch (op) {
        case Start: {
            const unsigned bits = in.u8();
            startGame(bits & 1, bits & 2);
            break;
        }
        case Press: {
            const auto window = Window(in.u8() % kWindowCount);
            const auto control = Control(in.u8() % 12);
            const unsigned how = in.u8();
            m_now += Millis(how >> 1) * 8;
            press(window, control, how & 1 ? Program::By::Mouse : Program::By::Keyboard);
            break;
        }
        case Shown: {
            const auto window = Window(in.u8() % kWindowCount);
            const std::string what = "shown " + std::string(description().form(window).name);
            step(what.c_str(), {}, Kind::Flow, [&](Program &p) { p.shown(window, m_now); });
            break;
        }
        case Close: {
            const auto window = Window(in.u8() % kWindowCount);
            const bool open = program().isOpen(window);
            const bool ends = program().finished() || (open && (window == Window::Dialog || window == Window::Game));
            const std::string what = "close " + std::string(description().form(window).name);
            step(what.c_str(), {}, Kind::Flow, [&](Program &p) { p.close(window); });
            if (program().isOpen(window) || ends != program().finished())
                fail(ends ? "closing the main window did not end the program" : "a closed window is still open");
            break;
        }
        case fuzz::Key: {
            static constexpr tarnvale::Key keys[KeyChoices] = {
                tarnvale::Key::Enter, tarnvale::Key::Escape, tarnvale::Key::Up,    tarnvale::Key::Backspace,
                tarnvale::Key::Delete, tarnvale::Key::Left,  tarnvale::Key::Right, tarnvale::Key::Home,
                tarnvale::Key::End};
            static const char *const names[KeyChoices] = {"Enter", "Esc", "Up", "Backspace", "Delete",
                                                          "Left", "Right", "Home", "End"};
            key(keys[in.u8() % KeyChoices], names);
            break;
        }
        case Type:
            typeEach(fromUtf8(in.bytes(in.u8())));
            break;
        case TypePhrase: {
            const std::vector<Text> &pool = phrasePool();
            const Text &phrase = pool[in.u16() % pool.size()];
            typeEach(TextView(phrase).substr(0, in.u8()));
            break;
        }
        case TypeUtf16: {
            const Text text = in.utf16(in.u8());
            step("type at once", text, editKind(), [&](Program &p) { p.type(text); });
            break;
        }
        case Edit:
            edit(in);
            break;
        case Select: {
            const int start = int(in.u32());
            const int length = int(in.u32());
            step("select", fromUtf8(std::to_string(start) + " " + std::to_string(length)), editKind(),
                 [&](Program &p) { p.select(start, length); });
            break;
        }
        case Paste: {
            const Text unit = in.utf16(in.u8());
            const unsigned e = in.u8();
            // A megabyte is pasted at most twice per input: more says nothing
            // new and only slows the sanitizers' allocator down.
            const bool huge = e == kLong && m_hugePastes < 2;
            m_hugePastes += huge;
            Text text;
            for (unsigned n = huge ? kHugePaste : e % 8 + 1; n > 0; --n)
                text += unit;
            step("paste", text, editKind(), [&](Program &p) { p.paste(text); });
            break;
        }
        case Line:
            submit(fromUtf8(in.bytes(in.u8())));
            break;
        case LinePhrase: {
            const std::vector<Text> &pool = phrasePool();
            submit(pool[in.u16() % pool.size()]);
            break;
        }
        case HoldEnter: {
            unsigned n = in.u8();
            n = n == kLong ? in.u16() % (kMaxHold + 1) : n % 32 + 1;
            static const char *const names[KeyChoices] = {"Enter"};
            for (unsigned i = 0; i < n && !spent(); ++i)
                key(tarnvale::Key::Enter, names);
            break;
        }
        case Reload:
            reload();
            break;
        case NoMemory:
            m_failAt = long(in.u8());
            break;
        default:
            break;
        }
    }

    // A fresh program, its dialog's choices and "начать", from the keyboard.
    void startGame(bool easy, bool music)
    {
        step("start the program afresh", {}, Kind::Flow, [&](Program &p) { p.start(m_now); });
        press(Window::Dialog, easy ? Control::Easy : Control::Hard, Program::By::Keyboard);
        press(Window::Dialog, music ? Control::MusicOn : Control::MusicOff, Program::By::Keyboard);
        press(Window::Dialog, Control::Start, Program::By::Keyboard);
    }

    void press(Window window, Control control, Program::By by)
    {
        Program &p = program();
        // Taken only from a button the window has, while it is open, and not
        // by a mouse click that finishes the double click that opened it.
        const bool has = control != Control::None && description().form(window).find(control);
        const bool expected = !p.finished() && p.isOpen(window) && has
                              && (by == Program::By::Keyboard || p.takesPresses(window, m_now));
        const int launches = m_run->launches;
        bool taken = false;
        const std::string what = std::string("press ") + std::string(description().form(window).name) + " "
                                 + std::to_string(int(control)) + (by == Program::By::Mouse ? " by mouse" : "");
        if (expected && control == Control::Start) {
            // A fresh game's counts, checked once it has started.
            m_moves = 0;
            m_purchases = 0;
            m_residue.clear();
        }
        const bool stepped = step(what.c_str(), {}, expected ? Kind::Flow : Kind::Refused,
                                  [&](Program &q) { taken = q.press(window, control, m_now, by); });
        if (!stepped)
            return;
        if (taken != expected)
            fail(std::string("a press was ") + (taken ? "taken" : "refused") + " against the rules");
        if (!taken)
            return;
        if (control == Control::Start) {
            // A fresh game, as the first one showed; music launched once if chosen.
            const bool easy = p.settings().easyMode == kTrue;
            if (*p.state() != GameState{0, 0, 60, kStreet, {}})
                fail("a new game does not start from the street with 60 roubles and no flags");
            const Text shown = observed(p);
            static const Text fresh[2] = {freshGameWindow(false), freshGameWindow(true)};
            const std::size_t gameAt = shown.find(u"frmTargame \n"), freshAt = fresh[easy].find(u"frmTargame \n");
            const std::size_t gameEnd = shown.find(u"\ngame "), freshEnd = fresh[easy].find(u"\ngame ");
            if (const std::string d = firstDifference(TextView(shown).substr(gameAt, gameEnd - gameAt),
                                                      TextView(fresh[easy]).substr(freshAt, freshEnd - freshAt));
                !d.empty())
                fail("a new game does not show what the first one showed: " + d);
            if (m_run->launches != launches + (p.settings().musicOn == kTrue ? 1 : 0))
                fail("the music was launched " + std::to_string(m_run->launches - launches) + " times for one game");
        } else if (m_run->launches != launches) {
            fail("music launched without a game starting");
        }
    }

    void key(tarnvale::Key k, const char *const names[])
    {
        const bool enter = k == tarnvale::Key::Enter;
        const Kind kind = enter ? enterKind() : editKind();
        const char *name = names[int(k)];
        if (!step(name, {}, kind, [&](Program &p) { p.key(k); }))
            return;
        if (kind == Kind::Edit && k == tarnvale::Key::Escape && !boxText().empty())
            fail("Esc left text in the box");
    }

    void typeEach(TextView text)
    {
        for (std::size_t i = 0; i < text.size() && !spent(); ++i) {
            std::size_t n = 1;
            if (isHigh(text[i]) && i + 1 < text.size() && isLow(text[i + 1]))
                n = 2;
            const Text ch(text.substr(i, n));
            i += n - 1;
            step("type", ch, editKind(), [&](Program &p) { p.type(ch); });
        }
    }

    // The box's own edit as a text widget reports it: its new text and caret.
    void edit(Reader &in)
    {
        const unsigned kind = in.u8() % 3;
        const Text was = boxText();
        const std::size_t at = std::min<std::size_t>(in.u16(), was.size());
        const std::size_t n = in.u8();
        const Text units = kind == 1 ? Text() : in.utf16(n);
        Text text = was;
        std::size_t end = at;
        if (kind == 0) {
            text.insert(at, units);
            end = at + units.size();
        } else {
            text.erase(at, std::min(n, was.size() - at));
            if (kind == 2) {
                text.insert(at, units);
                end = at + units.size();
            }
        }
        const unsigned back = in.u8();
        const int caret = back == kLong ? int(in.u16()) : int(end) - int(back);
        step("the box's own edit", text, editKind(), [&](Program &p) { p.edit(text, caret); });
    }

    // A whole line handed over as Enter would submit it (the line mode's
    // way), without the completion of typing.
    void submit(const Text &line)
    {
        const Kind kind = enterKind();
        bool taken = false;
        m_submitted = line;
        const bool stepped = step("a whole line", line, kind, [&](Program &p) { taken = p.submit(line); });
        m_submitted.reset();
        if (stepped && taken != (kind != Kind::Refused))
            fail(std::string("a whole line was said to be ") + (taken ? "taken" : "refused") + " against the rules");
    }

    // The page reloaded: the program is replaced by the resume of its own
    // record. From then on the program it replaced plays beside it, and the
    // two must show the same after every step.
    void reload()
    {
        ++m_steps;
        trace("reload", {});
        const Text record = program().record();
        m_text += static_cast<long long>(record.size()) * 4;
        auto next = std::make_unique<Run>();
        next->program->setDoubleClickInterval(program().doubleClickInterval());
        const bool resumed = next->program->resume(record, m_now);
        // Past the double click that may have opened the windows again.
        m_now += 10000;
        if (record.empty()) {
            // Nothing to keep (no game, or one that ended or grew too long):
            // the dialog afresh.
            if (resumed || !next->program->isOpen(Window::Dialog) || next->launches != 0)
                fail("a reload with nothing kept did not bring the dialog afresh");
            m_shadow.reset();
            m_run = std::move(next);
            m_moves = 0;
            m_purchases = 0;
            m_residue.clear();
            check("reload");
            return;
        }
        if (!resumed)
            fail("a game's own record was refused");
        if (next->launches != (program().settings().musicOn == kTrue ? 1 : 0))
            fail("the music came back " + std::to_string(next->launches) + " times");
        if (const std::string d = firstDifference(observed(*next->program), observed(program())); !d.empty())
            fail("the reloaded game differs: " + d);
        if (next->program->record() != record)
            fail("the reloaded game's record differs from the record it came from");
        if (!m_shadow)
            m_shadow = std::move(m_run);
        m_run = std::move(next);
        check("reload");
    }

    // --- the checks ----------------------------------------------------------

    void compareRecords()
    {
        if (program().record() != m_shadow->program->record())
            fail("the reloaded program and the one it replaced keep different records");
    }

    // Performs one step on the program (and on the one it replaced, if a
    // reload came before), then checks it. False when it ran out of memory
    // on purpose, which must have left everything as it was.
    template <typename F>
    bool step(const char *what, TextView arg, Kind kind, F &&action)
    {
        trace(what, arg);
        ++m_steps;
        ++g_stepsChecked;
        Program &p = program();
        const std::optional<GameState> before = p.state() ? std::optional<GameState>(*p.state()) : std::nullopt;
        const Text beforeText = boxText();
        m_text += static_cast<long long>(beforeText.size()) + 1;
        const Text beforeAction = p.state() ? Text(view().find(Window::Game, "lblAction")->text) : Text();
        const Text beforeShown = kind == Kind::Refused ? observed(p) : Text();
        const int launches = m_run->launches;
        const int shadowLaunches = m_shadow ? m_shadow->launches : 0;

        if (m_failAt >= 0) {
            const long n = m_failAt;
            m_failAt = -1;
            const Text record = p.record();
            const Text shown = observed(p);
            if (failsWithoutMemory(n, [&] { action(p); })) {
                // The view may be built afresh, but must show what it showed.
                if (p.record() != record)
                    fail(std::string("running out of memory in \"") + what + "\" changed the record");
                if (const std::string d = firstDifference(observed(p), shown); !d.empty())
                    fail(std::string("running out of memory in \"") + what + "\" changed the program: " + d);
                check(what);
                return false;
            }
        } else {
            action(p);
        }
        if (m_shadow) {
            action(*m_shadow->program);
            if (const std::string d = differenceBetween(p, *m_shadow->program); !d.empty())
                fail("the reloaded program and the one it replaced differ: " + d);
            // Their records are compared now and then, and at the end: a
            // record holds every line, and a long game would take long.
            if (m_steps % 4096 == 0)
                compareRecords();
            if (m_run->launches - launches != m_shadow->launches - shadowLaunches)
                fail("the reloaded program and the one it replaced launch the music differently");
        }

        const GameState *after = p.state();
        switch (kind) {
        case Kind::Flow:
            break;
        case Kind::Edit:
            if (!after || !before || *after != *before)
                fail("an edit changed the game state");
            break;
        case Kind::Refused:
            if (const std::string d = firstDifference(observed(p), beforeShown); !d.empty())
                fail("what nothing takes changed the program: " + d);
            break;
        case Kind::PasswordEnter:
            if (after->moveCount != before->moveCount)
                fail("a password attempt counted as a move");
            if (view().find(Window::Game, "lblAction")->text != m_submitted.value_or(beforeText))
                fail("the last command is not the password attempt");
            if (!boxText().empty())
                fail("the password box keeps the attempt");
            break;
        case Kind::Turn:
            checkTurn(*before, beforeText, beforeAction);
            break;
        }
        if (kind != Kind::Flow && m_run->launches != launches)
            fail("music launched by the keyboard in the box");
        check(what);
        return true;
    }

    void checkTurn(const GameState &before, const Text &beforeText, const Text &beforeAction)
    {
        const GameState &after = *program().state();
        const View &v = view();
        if (v.reply == kWords.overflow && after == before) {
            // Undone: only the output box says so; a line submitted whole
            // stays in the box as far as its first line break.
            if (v.find(Window::Game, "lblAction")->text != beforeAction)
                fail("an overflowing turn changed the last command");
            if (m_submitted)
                m_residue = Text(boxText());
            else if (boxText() != beforeText)
                fail("an overflowing turn changed the box");
            const bool nearLimit = before.moveCount == std::numeric_limits<std::int16_t>::max()
                                   || before.points > std::numeric_limits<std::int16_t>::max() - 200
                                   || before.money < std::numeric_limits<std::int16_t>::min() + 10;
            if (!nearLimit)
                fail("a turn was undone with every counter far from its limit");
            return;
        }
        if (before.moveCount == std::numeric_limits<std::int16_t>::max())
            fail("the move past 32767 was not undone");
        ++m_moves;
        if (v.find(Window::Game, "lblAction")->text != m_submitted.value_or(beforeText))
            fail("the last command is not the submitted text");
        if (!boxText().empty())
            fail("the command box was not emptied after Enter");
        if (before[Flag::hasCheapCigs] == kFalse && after[Flag::hasCheapCigs] != kFalse)
            ++m_purchases;
    }

    // What holds after every step, whatever came before.
    void check(const char *what)
    {
        Program &p = program();
        checkProgram(p, m_residue, [this, what](const std::string &problem) { fail(std::string(what) + ": " + problem); });
        if (const GameState *s = p.state()) {
            if (s->moveCount != m_moves)
                fail(std::to_string(s->moveCount) + " moves counted, " + std::to_string(m_moves) + " Enters taken");
            if (s->money != 60 - 10 * m_purchases)
                fail(std::to_string(s->money) + " roubles after " + std::to_string(m_purchases) + " purchases");
        }
    }

    void trace(const char *what, TextView arg)
    {
        m_trace[std::size_t(m_steps) % m_trace.size()] = {what, Text(arg.substr(0, 200))};
        if (m_verbose)
            printStep(what, arg);
    }

    static void printStep(const char *what, TextView arg)
    {
        std::fprintf(stderr, "    %s", what);
        if (!arg.empty())
            std::fprintf(stderr, " «%s»%s (%zu)", toUtf8(arg.substr(0, 200)).c_str(), arg.size() > 200 ? "..." : "",
                         arg.size());
        std::fputc('\n', stderr);
    }

    [[noreturn]] void fail(const std::string &problem)
    {
        std::fprintf(stderr, "\n*** game rule broken: %s\n", problem.c_str());
        std::fprintf(stderr, "*** last steps:\n");
        for (long i = std::max(0L, m_steps - long(m_trace.size())); i < m_steps; ++i) {
            const auto &[what, arg] = m_trace[std::size_t(i) % m_trace.size()];
            printStep(what.c_str(), arg);
        }
        std::abort();
    }

    std::unique_ptr<Run> m_run = std::make_unique<Run>();
    std::unique_ptr<Run> m_shadow;   // the program a reload replaced, played beside it
    Millis m_now = 1000;
    int m_purchases = 0;
    int m_moves = 0;
    long m_steps = 0;
    long m_failAt = -1;              // the allocation of the next step that fails
    int m_hugePastes = 0;
    long long m_text = 0;   // the text the steps so far have read, against kTextBudget
    std::optional<Text> m_submitted; // the line of the submit under way
    Text m_residue;                  // a submitted line an overflow left in the box
    // TARNVALE_FUZZ_TRACE=1 prints every step (for replaying one input).
    const bool m_verbose = std::getenv("TARNVALE_FUZZ_TRACE") && std::atoi(std::getenv("TARNVALE_FUZZ_TRACE")) != 0;
    std::array<std::pair<std::string, Text>, 40> m_trace;   // the last steps, for the report
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    std::atexit([] { std::fprintf(stderr, "game steps checked: %ld\n", g_stepsChecked); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    Player player;
    player.play(data, size);
    return 0;
}
