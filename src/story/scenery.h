#pragma once

#include <string>

namespace tarnvale::story {

// Descriptions that more than one location shows.

// The street, after its first sentence: the road, the shop, the alley, the
// thugs and the urn. It never changes with the story.
extern const std::u16string kStreetView;
// Looking around in the street (and what leaving the shop shows).
extern const std::u16string kStreetLook;
// The alley, and the alley with the brick still on the doorstep.
extern const std::u16string kAlleyLook;
extern const std::u16string kAlleyLookWithBrick;

} // namespace tarnvale::story
