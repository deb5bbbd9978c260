#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace tarnvale::story {

// The easy game's dictionary, in the order the completion searches it.
inline constexpr std::size_t kDictionarySize = 223;
extern const std::array<std::u16string_view, kDictionarySize> kDictionary;

} // namespace tarnvale::story
