#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tarnvale {

// Booleans are 16-bit integers, as the game has always stored them.
using Bool16 = std::int16_t;
inline constexpr Bool16 kTrue = -1;
inline constexpr Bool16 kFalse = 0;

// The thirteen story flags, in the order of the game state record.
enum class Flag : std::size_t {
    urnSearched,
    hasEmptyPack,
    hasCheapCigs,
    hasDearCigs,
    baldDismissed,
    hasBrick,
    windowBroken,
    keyNoticed,
    hasDiskette,
    atComputer,
    loggedIn,
    disketteInserted,
    fileRead,
};
inline constexpr std::size_t kFlagCount = 13;

// Locations of the story.
enum Location : std::int16_t {
    kStreet = 0,
    kShop = 1,
    kAlley = 2,
    kCorner = 3,
    kRoom = 4,
};

// Everything one game remembers, apart from the inventory (which lives in the
// inventory captions). Every field is a signed 16-bit integer, zero at the
// start of a game.
struct GameState {
    std::int16_t moveCount = 0;
    std::int16_t points = 0;
    std::int16_t money = 0;
    std::int16_t location = kStreet;
    std::array<Bool16, kFlagCount> flags{};

    Bool16 &operator[](Flag f) { return flags[static_cast<std::size_t>(f)]; }
    Bool16 operator[](Flag f) const { return flags[static_cast<std::size_t>(f)]; }
    bool operator==(const GameState &) const = default;
};

// The program-wide game settings chosen in the new-game dialog.
struct GameSettings {
    Bool16 easyMode = kFalse;
    Bool16 musicOn = kFalse;
};

} // namespace tarnvale
