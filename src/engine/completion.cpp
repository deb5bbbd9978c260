#include "engine/completion.h"

namespace tarnvale {

bool startsWithFolded(std::u16string_view text, std::u16string_view prefix)
{
    if (prefix.size() > text.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (text[i] != prefix[i] && foldCase(text[i]) != foldCase(prefix[i]))
            return false;
    }
    return true;
}

} // namespace tarnvale
