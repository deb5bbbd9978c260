#pragma once

#include <QString>

namespace tarnvale::story {

// Descriptions that more than one location shows.

// The street, after its first sentence: the road, the shop, the alley, the
// thugs and the urn. It never changes with the story.
extern const QString kStreetView;
// Looking around in the street (and what leaving the shop shows).
extern const QString kStreetLook;
// The alley, and the alley with the brick still on the doorstep.
extern const QString kAlleyLook;
extern const QString kAlleyLookWithBrick;

} // namespace tarnvale::story
