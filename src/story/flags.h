#pragma once

#include "engine/gamestate.h"

namespace tarnvale::story {

// The thirteen story flags, in the order of the game state record.
namespace Flag {
enum : FlagIndex {
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
}
static_assert(Flag::fileRead + 1 == kFlagCount);

// Locations of the story.
enum Location : std::int16_t {
    kStreet = 0,
    kShop = 1,
    kAlley = 2,
    kCorner = 3,
    kRoom = 4,
};

} // namespace tarnvale::story
