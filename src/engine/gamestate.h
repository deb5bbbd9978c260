#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tarnvale {

// Booleans are 16-bit integers, as the game has always stored them.
using Bool16 = std::int16_t;
inline constexpr Bool16 kTrue = -1;
inline constexpr Bool16 kFalse = 0;

// The game state record keeps thirteen flags; the story names them.
inline constexpr std::size_t kFlagCount = 13;
using FlagIndex = std::size_t;

// Everything one game remembers, apart from the inventory (which lives in the
// inventory captions). Every field is a signed 16-bit integer, zero at the
// start of a game.
struct GameState {
    std::int16_t moveCount = 0;
    std::int16_t points = 0;
    std::int16_t money = 0;
    std::int16_t location = 0;   // the story's first location
    std::array<Bool16, kFlagCount> flags{};

    Bool16 &operator[](FlagIndex f) { return flags[f]; }
    Bool16 operator[](FlagIndex f) const { return flags[f]; }
    bool operator==(const GameState &) const = default;
};

// The program-wide game settings chosen in the new-game dialog.
struct GameSettings {
    Bool16 easyMode = kFalse;
    Bool16 musicOn = kFalse;
};

} // namespace tarnvale
