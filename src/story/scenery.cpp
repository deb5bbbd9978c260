#include "story/scenery.h"

namespace tarnvale::story {

using namespace Qt::Literals::StringLiterals;

const QString kStreetView =
    u"Мимо по дороге проносятся машины. Перед тобой магазин с мерзкой витриной, "
    u"слева тёмный переулок, а справа кучка отморозков. Около магазина стоит грязная урна."_s;

const QString kStreetLook = u"Ты стоишь на улице. "_s + kStreetView;

const QString kAlleyLook = u"Темноватый переулок. Пара окон с решётками и дверь."_s;

const QString kAlleyLookWithBrick = kAlleyLook + u" На пороге лежит красный кирпич."_s;

} // namespace tarnvale::story
