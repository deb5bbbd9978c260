#pragma once

#include <QStringView>

namespace tarnvale::story {

// Inventory items, by the exact caption the inventory shows.
inline constexpr QStringView kEmptyPack = u"пустая пачка сигарет";
inline constexpr QStringView kCheapCigs = u"дешёвые сигареты";
inline constexpr QStringView kDearCigs = u"дорогие сигареты";
inline constexpr QStringView kBrick = u"кирпич";
inline constexpr QStringView kBaldKey = u"ключ отморозка";
inline constexpr QStringView kDiskette = u"дискета";

} // namespace tarnvale::story
