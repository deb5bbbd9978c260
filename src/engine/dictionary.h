#pragma once

#include <QStringView>

#include <array>
#include <cstddef>

namespace tarnvale {

inline constexpr std::size_t kDictionarySize = 223;
extern const std::array<QStringView, kDictionarySize> kDictionary;

} // namespace tarnvale
