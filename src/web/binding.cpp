// The browser's seam to the engine: plain C functions over one program (its
// windows, the dialog's choices and the game in progress), with text passed
// as UTF-16 through the module's memory. The page and the node transcript
// runner both go through src/web/engine.js, which wraps these.
#include "engine/program.h"
#include "story/story.h"

#include <emscripten/emscripten.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace {

using tarnvale::Control;
using tarnvale::Game;
using tarnvale::GameSettings;
using tarnvale::Key;
using tarnvale::Millis;
using tarnvale::Program;
using tarnvale::Window;

GameSettings g_settings;
std::unique_ptr<Program> g_program;
int g_musicLaunches = 0;
std::u16string g_input;        // the text of the next call, written by the page
std::vector<int> g_boxes;      // the boxes of the next placement, written by the page
std::u16string g_made;         // the last record, completion or answer asked for

// Fields handed out as text; the numbering is shared with engine.js.
enum TextField : int {
    kTxtGame, kLblAction, kLblSteps, kLblMoney, kLblPoints, kLblDiff,
    kLblInv0, kTxtCon = kLblInv0 + tarnvale::kInventorySlots, kTxtPwd,
    kRecord, kResumeFailed, kCompletion, kAnswer,
};

// Fields handed out as numbers.
enum IntField : int {
    kConStart, kConLength, kConVisible, kConEnabled,
    kPwdStart, kPwdLength, kPwdVisible, kPwdEnabled,
    kLocation, kMoves, kPoints, kMoney, kListSize, kListIndex, kMusic, kTurns,
    kFlag0,
};

// The game while its window is open, else nothing.
Game *game() { return g_program ? g_program->game() : nullptr; }

const std::u16string *textField(int field)
{
    static std::u16string resumeFailed;
    // Made by tv_made_text, once for both the length and the units.
    if (field == kRecord || field == kCompletion || field == kAnswer)
        return &g_made;
    if (field == kResumeFailed) {
        resumeFailed = tarnvale::tarnvaleStory().words.resumeFailed;
        return &resumeFailed;
    }
    const Game *g = game();
    if (!g)
        return nullptr;
    const tarnvale::GameWindow &w = g->window();
    switch (field) {
    case kTxtGame: return &w.txtGame;
    case kLblAction: return &w.lblAction;
    case kLblSteps: return &w.lblSteps;
    case kLblMoney: return &w.lblMoney;
    case kLblPoints: return &w.lblPoints;
    case kLblDiff: return &w.lblDiff;
    case kTxtCon: return &w.txtCon.text();
    case kTxtPwd: return &w.txtPwd.text();
    default:
        if (field >= kLblInv0 && field < kLblInv0 + tarnvale::kInventorySlots)
            return &w.lblInv[std::size_t(field - kLblInv0)];
        return nullptr;
    }
}

std::u16string_view input(int length)
{
    return std::u16string_view(g_input).substr(0, std::size_t(length < 0 ? 0 : length));
}

// Numbers from the page, checked against the engine's enumerations: a number
// out of range is a fault of the page's, not something to act on.
bool validWindow(int window) { return window >= 0 && window < int(tarnvale::kWindowCount); }
bool validControl(int control) { return control >= int(Control::None) && control <= int(Control::Close); }
bool validKey(int key) { return key >= int(Key::Enter) && key <= int(Key::End); }

// The page's clock reads fractions of a millisecond; the program counts whole ones.
Millis millis(double now)
{
    return std::isfinite(now) ? Millis(std::clamp(now, -1e15, 1e15)) : 0;
}

// The engine answers a player's action or throws only on a fault of its own;
// a fault must not take the page down with it, so it is reported instead.
template <typename F>
int guarded(F &&f)
{
    try {
        return f();
    } catch (...) {
        return -1;
    }
}

// An action of the player in the game's visible input box; nothing without a game.
template <typename F>
int inGame(F &&f)
{
    Game *g = game();
    if (!g)
        return -1;
    return guarded([&] { f(*g); return 0; });
}

} // namespace

extern "C" {

// Room for `length` UTF-16 units of input; returns where the page writes them.
EMSCRIPTEN_KEEPALIVE char16_t *tv_input(int length)
{
    g_input.resize(std::size_t(length < 0 ? 0 : length));
    return g_input.data();
}

// Room for `count` boxes of four numbers (x, y, width, height); returns where
// the page writes them.
EMSCRIPTEN_KEEPALIVE int *tv_boxes(int count)
{
    g_boxes.assign(std::size_t(count < 0 ? 0 : count) * 4, 0);
    return g_boxes.data();
}

// A fresh program: the new-game dialog opens, as the program starts.
EMSCRIPTEN_KEEPALIVE int tv_start(double now)
{
    g_musicLaunches = 0;
    g_program.reset();
    return guarded([=] {
        // A page cannot start a program: a launch of the music is only counted.
        g_program = std::make_unique<Program>(g_settings, tarnvale::tarnvaleStory(), [] { ++g_musicLaunches; });
        g_program->start(millis(now));
        return 0;
    });
}

// The program with a kept game brought back (see Program::resume); 1 when it
// came back, 0 for a fresh start.
EMSCRIPTEN_KEEPALIVE int tv_resume(int length, double now)
{
    g_musicLaunches = 0;
    g_program.reset();
    return guarded([=] {
        g_program = std::make_unique<Program>(g_settings, tarnvale::tarnvaleStory(), [] { ++g_musicLaunches; });
        return g_program->resume(input(length), millis(now)) ? 1 : 0;
    });
}

// A press of a window's button; 1 when the program took it, 0 when not.
EMSCRIPTEN_KEEPALIVE int tv_press(int window, int control, double now, int byMouse)
{
    if (!g_program || !validWindow(window) || !validControl(control))
        return -1;
    return guarded([=] {
        const Program::By by = byMouse ? Program::By::Mouse : Program::By::Keyboard;
        return g_program->press(Window(window), Control(control), millis(now), by) ? 1 : 0;
    });
}

EMSCRIPTEN_KEEPALIVE int tv_close(int window)
{
    if (!g_program || !validWindow(window))
        return -1;
    g_program->close(Window(window));
    return 0;
}

EMSCRIPTEN_KEEPALIVE int tv_appeared(int window, double now)
{
    if (!g_program || !validWindow(window))
        return -1;
    g_program->appeared(Window(window), millis(now));
    return 0;
}

EMSCRIPTEN_KEEPALIVE int tv_takes_presses(int window, double now)
{
    return g_program && validWindow(window) && g_program->takesPresses(Window(window), millis(now));
}

EMSCRIPTEN_KEEPALIVE void tv_set_double_click_interval(double interval)
{
    if (g_program)
        g_program->setDoubleClickInterval(millis(interval));
}

EMSCRIPTEN_KEEPALIVE int tv_is_open(int window)
{
    return g_program && validWindow(window) && g_program->isOpen(Window(window));
}

// How often the window was opened or brought up (as a number the page can
// compare: it wraps around long after any session ends).
EMSCRIPTEN_KEEPALIVE int tv_raises(int window)
{
    if (!g_program || !validWindow(window))
        return 0;
    return int(g_program->raises(Window(window)) & 0x7fffffffu);
}

EMSCRIPTEN_KEEPALIVE int tv_takes_keyboard(int window)
{
    return g_program && validWindow(window) && g_program->keyboardGoesTo(Window(window));
}

EMSCRIPTEN_KEEPALIVE int tv_chosen(int control)
{
    return g_program && validControl(control) && g_program->chosen(Control(control));
}

EMSCRIPTEN_KEEPALIVE int tv_finished()
{
    return g_program && g_program->finished();
}

// Where help or author opens beside the game window. The boxes the page wrote
// are the game's, the screen's, then the other windows already beside it;
// the place found is written over the first.
EMSCRIPTEN_KEEPALIVE int tv_place_beside(int count, int width, int height, int gap)
{
    if (count < 2 || std::size_t(count) * 4 != g_boxes.size())
        return -1;
    return guarded([=] {
        std::vector<tarnvale::Box> boxes;
        for (std::size_t i = 0; i < g_boxes.size(); i += 4)
            boxes.push_back({g_boxes[i], g_boxes[i + 1], g_boxes[i + 2], g_boxes[i + 3]});
        const tarnvale::Box place = Program::placeBeside(boxes[0], width, height, boxes[1],
                                                         std::span(boxes).subspan(2), gap);
        g_boxes[0] = place.x;
        g_boxes[1] = place.y;
        g_boxes[2] = place.width;
        g_boxes[3] = place.height;
        return 0;
    });
}

// --- the game's visible input box ------------------------------------------

// A key by its place in the engine's Key enumeration.
EMSCRIPTEN_KEEPALIVE int tv_key(int key)
{
    if (!validKey(key))
        return -1;
    return inGame([=](Game &g) { g.key(Key(key)); });
}

EMSCRIPTEN_KEEPALIVE int tv_type(int length)
{
    return inGame([=](Game &g) { g.type(input(length)); });
}

EMSCRIPTEN_KEEPALIVE int tv_edit(int length, int caret)
{
    return inGame([=](Game &g) { g.edit(input(length), caret); });
}

EMSCRIPTEN_KEEPALIVE int tv_select(int start, int length)
{
    return inGame([=](Game &g) { g.select(start, length); });
}

EMSCRIPTEN_KEEPALIVE int tv_paste(int length)
{
    return inGame([=](Game &g) { g.paste(input(length)); });
}

// A whole line as Enter would send it (the transcripts' "> line"); 1 when a
// box took it.
EMSCRIPTEN_KEEPALIVE int tv_submit(int length)
{
    Game *g = game();
    if (!g)
        return -1;
    return guarded([=] { return g->submit(input(length)) ? 1 : 0; });
}

// What the command box would be completed to, were it to hold the text the
// page wrote (a word an input method is still composing); its length, 0 for
// none. The text itself is the field kCompletion.
EMSCRIPTEN_KEEPALIVE int tv_completion(int length)
{
    const Game *g = game();
    g_made = g ? std::u16string(g->completion(input(length))) : std::u16string();
    return int(g_made.size());
}

// Makes the kept record (kRecord) or the last answer as a screen reader
// should hear it (kAnswer) for the next tv_text; returns its length.
EMSCRIPTEN_KEEPALIVE int tv_made_text(int field)
{
    const Game *g = game();
    if (field == kRecord)
        g_made = g_program ? g_program->record() : std::u16string();
    else if (field == kAnswer)
        g_made = g ? g->answer() : std::u16string();
    else
        return -1;
    return int(g_made.size());
}

// The same settings, a fresh start (the transcripts' "newgame").
EMSCRIPTEN_KEEPALIVE int tv_new_game()
{
    return inGame([](Game &g) { g.newGame(); });
}

// --- what the game window shows ----------------------------------------------

// A text field: its units stay valid until the next call into the game.
EMSCRIPTEN_KEEPALIVE const char16_t *tv_text(int field)
{
    const std::u16string *text = textField(field);
    return text ? text->data() : nullptr;
}

EMSCRIPTEN_KEEPALIVE int tv_text_length(int field)
{
    const std::u16string *text = textField(field);
    return text ? int(text->size()) : 0;
}

EMSCRIPTEN_KEEPALIVE int tv_int(int field)
{
    if (field == kMusic)
        return g_musicLaunches;
    const Game *g = game();
    if (!g)
        return 0;
    const tarnvale::GameWindow &w = g->window();
    const tarnvale::GameState &s = g->state();
    switch (field) {
    case kConStart: return w.txtCon.selStart();
    case kConLength: return w.txtCon.selLength();
    case kConVisible: return w.txtCon.visible;
    case kConEnabled: return w.txtCon.enabled;
    case kPwdStart: return w.txtPwd.selStart();
    case kPwdLength: return w.txtPwd.selLength();
    case kPwdVisible: return w.txtPwd.visible;
    case kPwdEnabled: return w.txtPwd.enabled;
    case kLocation: return s.location;
    case kMoves: return s.moveCount;
    case kPoints: return s.points;
    case kMoney: return s.money;
    case kListSize: return w.lstItems.size();
    case kListIndex: return w.lstItemsIndex;
    case kTurns: return int(g->turns() & 0x7fffffffu);
    default:
        if (field >= kFlag0 && field < kFlag0 + int(tarnvale::kFlagCount))
            return s.flags[std::size_t(field - kFlag0)] != tarnvale::kFalse;
        return 0;
    }
}

} // extern "C"
