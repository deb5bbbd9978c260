#pragma once

#include "story/text.h"

namespace tarnvale::story {

// Descriptions that more than one location shows, as constants that the
// other units join their replies from.

// The street, after its first sentence: the road, the shop, the alley, the
// thugs and the urn. It never changes with the story.
inline constexpr Text kStreetView =
    u"Мимо по дороге проносятся машины. Перед тобой магазин с мерзкой витриной, "
    u"слева тёмный переулок, а справа кучка отморозков. Около магазина стоит грязная урна.";
// Looking around in the street (and what leaving the shop shows).
inline constexpr auto kStreetLook = join(u"Ты стоишь на улице. ", kStreetView);
// The alley, and the alley with the brick still on the doorstep.
inline constexpr Text kAlleyLook = u"Темноватый переулок. Пара окон с решётками и дверь.";
inline constexpr auto kAlleyLookWithBrick = join(kAlleyLook, u" На пороге лежит красный кирпич.");

} // namespace tarnvale::story
