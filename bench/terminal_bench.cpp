// The full-screen terminal game: a keystroke from the key to the screen
// updated (the engine's handling, the page drawn again and curses writing
// what changed), on a curses screen that writes to /dev/null.
#include "story/story.h"
#include "tui/curses.h"
#include "tui/run.h"
#include "tui/screen.h"

#include <benchmark/benchmark.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

using namespace tarnvale;

namespace {

struct Terminal {
    Terminal()
    {
        if (std::setlocale(LC_CTYPE, "C.UTF-8") == nullptr)
            std::abort();
        out = std::fopen("/dev/null", "w");
        in = std::fopen("/dev/null", "r");
        screen = newterm("xterm-256color", out, in);
        if (screen == nullptr)
            std::abort();
        tui::setUpTerminal();
        resizeterm(24, 80);
    }
    ~Terminal()
    {
        endwin();
        delscreen(screen);
        std::fclose(out);
        std::fclose(in);
    }
    std::FILE *out;
    std::FILE *in;
    SCREEN *screen;
};

struct Key {
    unsigned ch;
    bool isKeyCode;
};

std::vector<Key> typed(std::wstring_view text)
{
    std::vector<Key> keys;
    for (wchar_t c : text)
        keys.push_back({unsigned(c), false});
    keys.push_back({L'\r', false});
    return keys;
}

void press(tui::Screen &screen, const Key &key)
{
    screen.input(key.ch, key.isKeyCode);
    screen.draw();
    refresh();
}

// Typing a phrase and Enter, over and over; one iteration is one keystroke.
void typeOver(benchmark::State &state, bool easy, std::wstring_view phrase)
{
    Terminal terminal;
    GameSettings settings;
    tui::Screen screen(settings, tarnvaleStory(), {});
    screen.draw();
    refresh();
    if (easy) {
        press(screen, {unsigned(KEY_UP), true});
        press(screen, {unsigned(KEY_UP), true});
        press(screen, {unsigned(KEY_UP), true});
        press(screen, {L' ', false});
    }
    settings.musicOn = kFalse;
    press(screen, {L'\r', false});
    const std::vector<Key> keys = typed(phrase);
    std::size_t i = 0;
    for (auto _ : state) {
        press(screen, keys[i]);
        i = (i + 1) % keys.size();
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_TerminalKeyHardGame(benchmark::State &state)
{
    typeOver(state, false, L"осмотреть урну");
}
BENCHMARK(BM_TerminalKeyHardGame);

void BM_TerminalKeyEasyGame(benchmark::State &state)
{
    typeOver(state, true, L"осмотреть урну");
}
BENCHMARK(BM_TerminalKeyEasyGame);

// The worst keystroke for the screen: Enter replaces the whole output box,
// alternating between two long replies.
void BM_TerminalEnterNewScene(benchmark::State &state)
{
    typeOver(state, false, L"осмотреться");
}
BENCHMARK(BM_TerminalEnterNewScene);

// A resize: the page laid out and drawn again at another size.
void BM_TerminalResize(benchmark::State &state)
{
    Terminal terminal;
    GameSettings settings;
    tui::Screen screen(settings, tarnvaleStory(), {});
    settings.musicOn = kFalse;
    press(screen, {L'\r', false});
    bool big = false;
    for (auto _ : state) {
        big = !big;
        resizeterm(big ? 50 : 24, big ? 160 : 80);
        press(screen, {unsigned(KEY_RESIZE), true});
    }
}
BENCHMARK(BM_TerminalResize);

} // namespace

BENCHMARK_MAIN();
