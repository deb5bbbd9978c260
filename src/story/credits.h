#pragma once

#include <string_view>

// The captions of the dialog, help and author windows, the same in every
// front-end that draws them.
namespace tarnvale::credits {

inline constexpr std::u16string_view kSubtitle = u"консольный текстовый квест";
inline constexpr std::u16string_view kTitle = u"велтарный";

inline constexpr std::u16string_view kHelpTip =
    u"Осматривайся в новой локации, а также осматривай все предметы. Экспериментируй с предметами!";
inline constexpr std::u16string_view kHelpAdvice =
    u"Лучше играть в сложную игру, она только называется сложной, просто при простой игре на "
    u"консоли при вводе пишутся соответствующие выражения из словаря.";
inline constexpr std::u16string_view kHelpCredit = u"автор: Евграф";

inline constexpr std::u16string_view kAuthorCredit = u"придумал, написал и собрал:";
inline constexpr std::u16string_view kAuthorName = u"Евграф Велтарный";
inline constexpr std::u16string_view kAuthorMail = u"e-mail: evgraf@tarnvale.example";
inline constexpr std::u16string_view kAuthorPhone = u"тел.: +7 (000) 000-00-00";
inline constexpr std::u16string_view kAuthorSite = u"сайт: www.tarnvale.example";
inline constexpr std::u16string_view kAuthorDate = u"(12-13).01.2007";

} // namespace tarnvale::credits
