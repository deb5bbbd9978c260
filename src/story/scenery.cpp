#include "story/scenery.h"

namespace tarnvale::story {

using namespace std::string_literals;

const std::u16string kStreetView =
    u"Мимо по дороге проносятся машины. Перед тобой магазин с мерзкой витриной, "
    u"слева тёмный переулок, а справа кучка отморозков. Около магазина стоит грязная урна."s;

const std::u16string kStreetLook = u"Ты стоишь на улице. "s + kStreetView;

const std::u16string kAlleyLook = u"Темноватый переулок. Пара окон с решётками и дверь."s;

const std::u16string kAlleyLookWithBrick = kAlleyLook + u" На пороге лежит красный кирпич."s;

} // namespace tarnvale::story
