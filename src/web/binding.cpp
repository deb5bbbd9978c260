// The browser's seam to the engine: plain C functions over one game, with
// text passed as UTF-16 through the module's memory. The page and the node
// transcript runner both go through src/web/engine.js, which wraps these.
#include "engine/game.h"
#include "story/story.h"

#include <emscripten/emscripten.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace {

using tarnvale::Game;
using tarnvale::GameSettings;
using tarnvale::TextBox;

GameSettings g_settings;
std::unique_ptr<Game> g_game;
int g_musicLaunches = 0;
std::u16string g_input;   // the text of the next call, written by the page

// Fields handed out as text; the numbering is shared with engine.js.
enum TextField : int {
    kTxtGame, kLblAction, kLblSteps, kLblMoney, kLblPoints, kLblDiff,
    kLblInv0, kTxtCon = kLblInv0 + tarnvale::kInventorySlots, kTxtPwd,
};

// Fields handed out as numbers.
enum IntField : int {
    kConStart, kConLength, kConVisible, kConEnabled,
    kPwdStart, kPwdLength, kPwdVisible, kPwdEnabled,
    kLocation, kMoves, kPoints, kMoney, kListSize, kListIndex, kMusic,
    kFlag0,
};

const std::u16string *textField(int field)
{
    const tarnvale::GameWindow &w = g_game->window();
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

bool password(int box) { return box != 0; }

// The engine answers a player's action or throws only on a fault of its own;
// a fault must not take the page down with it, so it is reported instead.
template <typename F>
int guarded(F &&f)
{
    if (!g_game)
        return -1;
    try {
        return f();
    } catch (...) {
        return -1;
    }
}

} // namespace

extern "C" {

// Room for `length` UTF-16 units of input; returns where the page writes them.
EMSCRIPTEN_KEEPALIVE char16_t *tv_input(int length)
{
    g_input.resize(std::size_t(length < 0 ? 0 : length));
    return g_input.data();
}

// Starts a game with the settings the new-game dialog chose.
EMSCRIPTEN_KEEPALIVE int tv_start(int easy, int music)
{
    g_settings.easyMode = easy ? tarnvale::kTrue : tarnvale::kFalse;
    g_settings.musicOn = music ? tarnvale::kTrue : tarnvale::kFalse;
    g_musicLaunches = 0;
    try {
        // A page cannot start a program: a launch is only counted.
        g_game = std::make_unique<Game>(g_settings, tarnvale::tarnvaleStory(), [] { ++g_musicLaunches; });
    } catch (...) {
        g_game.reset();
        return -1;
    }
    return 0;
}

EMSCRIPTEN_KEEPALIVE int tv_new_game()
{
    return guarded([] { g_game->newGame(); return 0; });
}

EMSCRIPTEN_KEEPALIVE int tv_key(int box, int keyCode)
{
    return guarded([=] {
        if (password(box))
            g_game->pressPwdKey(keyCode);
        else
            g_game->pressConKey(keyCode);
        return 0;
    });
}

EMSCRIPTEN_KEEPALIVE int tv_type(int box, int length)
{
    return guarded([=] {
        if (password(box))
            g_game->typePwd(input(length));
        else
            g_game->typeCon(input(length));
        return 0;
    });
}

EMSCRIPTEN_KEEPALIVE int tv_edit(int box, int length, int caret)
{
    return guarded([=] {
        if (password(box))
            g_game->editPwd(input(length), caret);
        else
            g_game->editCon(input(length), caret);
        return 0;
    });
}

EMSCRIPTEN_KEEPALIVE int tv_select(int box, int start, int length)
{
    return guarded([=] {
        if (password(box))
            g_game->selectPwd(start, length);
        else
            g_game->selectCon(start, length);
        return 0;
    });
}

EMSCRIPTEN_KEEPALIVE int tv_submit(int length)
{
    return guarded([=] { return g_game->submit(input(length)) ? 1 : 0; });
}

// A text field: its units stay valid until the next call into the game.
EMSCRIPTEN_KEEPALIVE const char16_t *tv_text(int field)
{
    const std::u16string *text = g_game ? textField(field) : nullptr;
    return text ? text->data() : nullptr;
}

EMSCRIPTEN_KEEPALIVE int tv_text_length(int field)
{
    const std::u16string *text = g_game ? textField(field) : nullptr;
    return text ? int(text->size()) : 0;
}

EMSCRIPTEN_KEEPALIVE int tv_int(int field)
{
    if (!g_game)
        return 0;
    const tarnvale::GameWindow &w = g_game->window();
    const tarnvale::GameState &s = g_game->state();
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
    case kMusic: return g_musicLaunches;
    default:
        if (field >= kFlag0 && field < kFlag0 + int(tarnvale::kFlagCount))
            return s.flags[std::size_t(field - kFlag0)] != tarnvale::kFalse;
        return 0;
    }
}

} // extern "C"
