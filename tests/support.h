#pragma once

#include "engine/program.h"
#include "story/story.h"
#include "story/windows.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tarnvale::test {

// A game of the real story with its own settings, started from the dialog
// as the keyboard starts it, read from the program's view.
struct StoryGame {
    explicit StoryGame(bool easy = false, bool music = false, std::function<void()> launchMusic = {})
    {
        program = std::make_unique<Program>(settings, tarnvaleStory(), std::move(launchMusic));
        program->start();
        choose(easy, music);
    }
    void choose(bool easy, bool music)
    {
        program->press(Window::Dialog, easy ? Control::Easy : Control::Hard, 0);
        program->press(Window::Dialog, music ? Control::MusicOn : Control::MusicOff, 0);
        program->press(Window::Dialog, Control::Start, 0);
    }
    // "новая", then the same choices again.
    void newGame()
    {
        const bool easy = settings.easyMode != kFalse, music = settings.musicOn != kFalse;
        program->press(Window::Game, Control::New, 0);
        choose(easy, music);
    }

    std::u16string text(std::string_view name) const
    {
        return std::u16string(program->view().find(Window::Game, name)->text);
    }
    const WidgetView &box(std::string_view name = "txtCon") const { return *program->view().find(Window::Game, name); }
    const GameState &state() const { return *program->state(); }
    bool is(FlagIndex flag) const { return state().flags[flag] != kFalse; }
    std::vector<std::u16string> inventory() const
    {
        std::vector<std::u16string> slots;
        for (const std::string_view name : windows::kInventoryNames)
            slots.push_back(text(name));
        return slots;
    }

    GameSettings settings;
    std::unique_ptr<Program> program;
};

// Everything a program's game window shows, to compare one with another.
inline std::vector<std::u16string> shownGame(Program &program)
{
    std::vector<std::u16string> out;
    const View &view = program.view();
    if (const WindowView *game = view.find(Window::Game)) {
        for (const WidgetView &w : game->widgets) {
            out.emplace_back(w.text);
            out.push_back({char16_t(w.start), char16_t(w.length), char16_t(w.visible), char16_t(w.enabled)});
        }
    }
    out.push_back({char16_t(view.listIndex + 1)});
    return out;
}

} // namespace tarnvale::test
