#pragma once

#include <string_view>

namespace tarnvale::story {

// Inventory items, by the exact caption the inventory shows.
inline constexpr std::u16string_view kEmptyPack = u"пустая пачка сигарет";
inline constexpr std::u16string_view kCheapCigs = u"дешёвые сигареты";
inline constexpr std::u16string_view kDearCigs = u"дорогие сигареты";
inline constexpr std::u16string_view kBrick = u"кирпич";
inline constexpr std::u16string_view kBaldKey = u"ключ отморозка";
inline constexpr std::u16string_view kDiskette = u"дискета";

} // namespace tarnvale::story
