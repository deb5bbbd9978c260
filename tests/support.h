#pragma once

#include "engine/game.h"
#include "story/story.h"

#include <functional>
#include <memory>
#include <utility>

namespace tarnvale::test {

// A game of the real story with its own settings.
struct StoryGame {
    explicit StoryGame(bool easy = false, bool music = false,
                       std::function<void()> launchMusic = {})
    {
        settings.easyMode = easy ? kTrue : kFalse;
        settings.musicOn = music ? kTrue : kFalse;
        game = std::make_unique<Game>(settings, tarnvaleStory(), std::move(launchMusic));
    }
    GameSettings settings;
    std::unique_ptr<Game> game;
};

} // namespace tarnvale::test
