// What a player feels of the engine: a turn, a keystroke in an easy game with
// its completion, the start of a game and a whole walkthrough, each through
// the program's input as a front-end gives it, and the view a front-end
// draws after each.
#include "engine/completion.h"
#include "engine/program.h"
#include "story/dictionary.h"
#include "story/story.h"

#include <benchmark/benchmark.h>

#include "transcript_escape.h"
#include "utf8.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <string_view>
#include <vector>

using namespace tarnvale;
using namespace tarnvale::story;
using namespace std::string_literals;

namespace {

// A program whose game was started from the dialog with the difficulty given.
struct Play {
    explicit Play(bool easyGame) : easy(easyGame)
    {
        program.start();
        newGame();
    }
    void newGame()
    {
        if (program.isOpen(Window::Game))
            program.press(Window::Game, Control::New, 0);
        program.press(Window::Dialog, easy ? Control::Easy : Control::Hard, 0);
        program.press(Window::Dialog, Control::MusicOff, 0);
        program.press(Window::Dialog, Control::Start, 0);
    }
    const GameState &state() const { return *program.state(); }
    bool easy;
    GameSettings settings;
    Program program{settings, tarnvaleStory()};
};

// One step of a walkthrough transcript: a line submitted ("> "), text typed
// into the visible box ("type") or a key pressed in it ("key").
struct Step {
    enum Kind { Submit, Type, Press } kind;
    std::u16string text;
    Key key = Key::Enter;
};

std::vector<Step> walkthrough(const char *name)
{
    const std::string path = std::string(TARNVALE_TRANSCRIPTS "/") + name;
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        std::exit(1);
    }
    static const std::map<std::u16string_view, Key> keys = {
        {u"Enter", Key::Enter}, {u"Esc", Key::Escape}, {u"Up", Key::Up},
        {u"Backspace", Key::Backspace}, {u"Delete", Key::Delete}};
    const std::u16string text = test::fromUtf8(
        std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()));
    std::vector<Step> steps;
    std::u16string_view rest = text;
    while (!rest.empty()) {
        const std::size_t end = rest.find(u'\n');
        std::u16string_view line = rest.substr(0, end);
        rest.remove_prefix(end == rest.npos ? rest.size() : end + 1);
        if (line.ends_with(u'\r'))
            line.remove_suffix(1);
        if (line.starts_with(u"> ")) {
            steps.push_back({Step::Submit, test::unescapeTranscript(line.substr(2))});
        } else if (line.starts_with(u"type ")) {
            steps.push_back({Step::Type, test::unescapeTranscript(line.substr(5))});
        } else if (line.starts_with(u"key ")) {
            const auto key = keys.find(line.substr(4));
            if (key != keys.end())
                steps.push_back({Step::Press, {}, key->second});
        }
    }
    return steps;
}

// Plays steps as the player would: typing goes in one character at a time.
// Returns the number of keystrokes (a submitted line counts as one).
long play(Program &g, const std::vector<Step> &steps, std::size_t stop)
{
    long keystrokes = 0;
    for (std::size_t i = 0; i < stop && i < steps.size(); ++i) {
        const Step &step = steps[i];
        switch (step.kind) {
        case Step::Submit:
            g.submit(step.text);
            ++keystrokes;
            break;
        case Step::Type:
            for (std::size_t c = 0; c < step.text.size(); ++c)
                g.type(std::u16string_view(step.text).substr(c, 1));
            keystrokes += long(step.text.size());
            break;
        case Step::Press:
            g.key(step.key);
            ++keystrokes;
            break;
        }
    }
    return keystrokes;
}

const std::vector<Step> &hardWalkthrough()
{
    static const std::vector<Step> steps = walkthrough("walkthrough_hard.txt");
    return steps;
}

const std::vector<Step> &easyWalkthrough()
{
    static const std::vector<Step> steps = walkthrough("walkthrough_easy.txt");
    return steps;
}

// Far below the moves' limit, so that every measured turn is a real one.
constexpr std::int16_t kFreshGameAfter = 30000;

// --- a turn ------------------------------------------------------------------

// One Enter in the command box with the text already typed: the rules of the
// place and those valid everywhere, the counters, the labels, the emptied box
// (and in an easy game its completion). Timed by the clock, so that typing
// the command between turns stays out of the figure. The game is first taken
// through the first walkTo lines of the hard walkthrough.
void turn(benchmark::State &state, bool easy, std::size_t walkTo, std::u16string_view command)
{
    Play p(easy);
    play(p.program, hardWalkthrough(), walkTo);
    for (auto _ : state) {
        p.program.key(Key::Escape);
        p.program.paste(command);
        const auto start = std::chrono::steady_clock::now();
        p.program.key(Key::Enter);
        const auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        if (p.state().moveCount > kFreshGameAfter) {
            p.newGame();
            play(p.program, hardWalkthrough(), walkTo);
        }
    }
    benchmark::DoNotOptimize(p.program.view().reply.data());
    state.SetItemsProcessed(state.iterations());
}

void BM_TurnUnknownInStreet(benchmark::State &s) { turn(s, false, 0, u"спеть песню"); }
void BM_TurnLookAroundInStreet(benchmark::State &s) { turn(s, false, 0, u"осмотреться"); }
void BM_TurnShopPriceList(benchmark::State &s) { turn(s, false, 2, u"осмотреть товары"); }
// In the flat, at the running computer: the room's and the computer's rules.
void BM_TurnAtTheComputer(benchmark::State &s) { turn(s, false, 24, u"записная книжка"); }
void BM_TurnUnknownInRoom(benchmark::State &s) { turn(s, false, 20, u"спеть песню"); }
void BM_TurnEasyGame(benchmark::State &s) { turn(s, true, 0, u"осмотреться"); }

BENCHMARK(BM_TurnUnknownInStreet)->UseManualTime();
BENCHMARK(BM_TurnLookAroundInStreet)->UseManualTime();
BENCHMARK(BM_TurnShopPriceList)->UseManualTime();
BENCHMARK(BM_TurnAtTheComputer)->UseManualTime();
BENCHMARK(BM_TurnUnknownInRoom)->UseManualTime();
BENCHMARK(BM_TurnEasyGame)->UseManualTime();

// --- a keystroke in an easy game ---------------------------------------------

// Times one keystroke by the clock, so that putting the box back between
// keystrokes stays out of the figure.
template <typename Prepare, typename Press>
void keystroke(benchmark::State &state, Prepare prepare, Press press)
{
    Play p(true);
    for (auto _ : state) {
        prepare(p.program);
        const auto start = std::chrono::steady_clock::now();
        press(p.program);
        const auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
    benchmark::DoNotOptimize(p.program.view().generation);
    state.SetItemsProcessed(state.iterations());
}

// The first letter into an empty box: the first phrase matches at once.
void BM_KeyFirstLetter(benchmark::State &s)
{
    keystroke(s, [](Program &g) { g.key(Key::Escape); }, [](Program &g) { g.type(u"о"); });
}

// A letter that begins no phrase: the whole dictionary is searched in vain.
void BM_KeyNoPhraseMatches(benchmark::State &s)
{
    keystroke(s, [](Program &g) { g.key(Key::Escape); g.type(u"щ"); }, [](Program &g) { g.type(u"щ"); });
}

// The last letter of the dictionary's last phrase: the search runs to the
// end of the list, comparing long common beginnings on the way.
void BM_KeyLastPhrase(benchmark::State &s)
{
    static const std::u16string_view last = kDictionary.back();
    static const std::u16string_view head = last.substr(0, last.size() - 1);
    static const std::u16string_view tail = last.substr(last.size() - 1);
    keystroke(s, [](Program &g) { g.key(Key::Escape); g.paste(head); },
              [](Program &g) { g.type(tail); });
}

// Backspace over a completed tail: the shortening and a fresh completion.
void BM_KeyBackspaceOverCompletion(benchmark::State &s)
{
    keystroke(s,
              [](Program &g) {
                  g.key(Key::Escape);
                  for (const char16_t *c : {u"о", u"с", u"м", u" ", u"у"})
                      g.type(c);
              },
              [](Program &g) { g.key(Key::Backspace); });
}

// For comparison: a keystroke in a hard game, with no completion.
void BM_KeyHardGame(benchmark::State &s)
{
    Play p(false);
    for (auto _ : s) {
        p.program.type(u"о");
        if (p.program.view().visibleBox()->text.size() > 1000)
            p.program.key(Key::Escape);
    }
    s.SetItemsProcessed(s.iterations());
}

BENCHMARK(BM_KeyFirstLetter)->UseManualTime();
BENCHMARK(BM_KeyNoPhraseMatches)->UseManualTime();
BENCHMARK(BM_KeyLastPhrase)->UseManualTime();
BENCHMARK(BM_KeyBackspaceOverCompletion)->UseManualTime();
BENCHMARK(BM_KeyHardGame);

// The easy walkthrough as its transcript types it, a few letters and Enter
// at a time: the time per keystroke over a whole game, new game included.
void BM_KeyWalkthroughTyped(benchmark::State &state)
{
    Play p(true);
    long keys = 0;
    for (auto _ : state) {
        p.newGame();
        keys += play(p.program, easyWalkthrough(), easyWalkthrough().size());
    }
    state.SetItemsProcessed(keys);
    state.counters["keys/game"] = double(keys) / double(state.iterations());
}
BENCHMARK(BM_KeyWalkthroughTyped);

// --- the start of a game -----------------------------------------------------

// "новая", the two choices and "начать": the dialog's load, then the game
// window's.
void BM_NewGame(benchmark::State &state)
{
    Play p(state.range(0) != 0);
    for (auto _ : state)
        p.newGame();
    state.SetLabel(state.range(0) ? "easy" : "hard");
}
BENCHMARK(BM_NewGame)->Arg(0)->Arg(1);

// --- a whole game ------------------------------------------------------------

void BM_Walkthrough(benchmark::State &state)
{
    const bool easy = state.range(0) != 0;
    const std::vector<Step> &steps = easy ? easyWalkthrough() : hardWalkthrough();
    Play p(easy);
    for (auto _ : state) {
        p.newGame();
        play(p.program, steps, steps.size());
    }
    if (p.state().flags[Flag::fileRead] == kFalse) {
        state.SkipWithError("the walkthrough did not reach the file");
        return;
    }
    state.SetLabel(easy ? "easy, typed" : "hard, submitted");
    state.counters["moves"] = double(p.state().moveCount);
}
BENCHMARK(BM_Walkthrough)->Arg(0)->Arg(1);

// --- what a front-end draws --------------------------------------------------

// The view after a keystroke: the widgets' values filled in again.
void BM_ViewAfterKeystroke(benchmark::State &state)
{
    Play p(true);
    for (auto _ : state) {
        p.program.type(u"о");
        benchmark::DoNotOptimize(p.program.view().generation);
        p.program.key(Key::Escape);
        benchmark::DoNotOptimize(p.program.view().generation);
    }
    state.SetItemsProcessed(state.iterations() * 2);
}
BENCHMARK(BM_ViewAfterKeystroke);

// --- the box's own edits ----------------------------------------------------

// An edit that is typing: N characters added before N already in the box of
// an easy game, as a text widget reports a long paste at the caret. It costs
// in proportion to what it adds: key by key only while the completion can
// still answer, then at once.
void BM_EditThatTypes(benchmark::State &state)
{
    const std::size_t n = std::size_t(state.range(0));
    const std::u16string tail(n, u'я');
    const std::u16string after = std::u16string(n, u'ф') + tail;
    Play p(true);
    for (auto _ : state) {
        state.PauseTiming();
        p.program.key(Key::Escape);
        p.program.edit(tail, 0);
        state.ResumeTiming();
        p.program.edit(after, int(n));
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_EditThatTypes)->RangeMultiplier(10)->Range(1000, 100000)->Complexity(benchmark::oN);

// --- the kept game -----------------------------------------------------------

// The record of a whole hard walkthrough, and a program that resumes it.
const std::u16string &walkthroughRecord()
{
    static const std::u16string record = [] {
        Play p(false);
        play(p.program, hardWalkthrough(), hardWalkthrough().size());
        return p.program.record();
    }();
    return record;
}

void BM_ResumeWalkthrough(benchmark::State &state)
{
    const std::u16string &record = walkthroughRecord();
    for (auto _ : state) {
        GameSettings settings;
        Program program(settings, tarnvaleStory());
        if (!program.resume(record)) {
            state.SkipWithError("the walkthrough's record was refused");
            return;
        }
    }
}
BENCHMARK(BM_ResumeWalkthrough);

// Records refused: one changed in its last line (found by its check, before
// any line is played), and one of a million lines (found by its length).
void BM_ResumeRefused(benchmark::State &state)
{
    std::u16string record = walkthroughRecord();
    if (state.range(0) == 0) {
        record.back() = u'!';
    } else {
        for (int i = 0; i < 1000000; ++i)
            record += u"\n> a";
    }
    GameSettings settings;
    Program program(settings, tarnvaleStory());
    for (auto _ : state) {
        if (program.resume(record))
            state.SkipWithError("a record that should be refused was taken");
    }
    state.SetLabel(state.range(0) == 0 ? "changed" : "a million lines");
}
BENCHMARK(BM_ResumeRefused)->Arg(0)->Arg(1);

} // namespace

BENCHMARK_MAIN();
