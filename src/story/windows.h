#pragma once

// The program's four windows as this story describes them
// (engine/description.h says how a window is described).

#include "engine/description.h"
#include "engine/rules.h"

#include <string_view>

namespace tarnvale::windows {

extern const Form kGameWindow;
extern const Form kNewGameDialog;
extern const Form kHelpWindow;
extern const Form kAuthorWindow;
extern const ChoicePair kChoicePairs[2];

// All four, with the names screen readers give the inventory and the frames.
extern const Description kDescription;

const Form &form(Window window);

// The inventory slots' widgets, slot 0 first.
inline constexpr std::string_view kInventoryNames[] = {
    "lblInv0", "lblInv1", "lblInv2", "lblInv3", "lblInv4",
    "lblInv5", "lblInv6", "lblInv7", "lblInv8", "lblInv9",
};

// The game window's opening captions, which the engine starts every game
// from before its load rewrites them.
GameCaptions openingCaptions();

} // namespace tarnvale::windows
