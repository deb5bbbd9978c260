#pragma once

#include <cstdint>
#include <string_view>

namespace tarnvale {

// A 64-bit digest (FNV-1a) of numbers and texts, for telling whether two
// games or two records are the same, not for keeping anything secret.
class Digest {
public:
    void add(std::uint64_t value, int bytes = 2)
    {
        for (int i = 0; i < bytes; ++i)
            m_hash = (m_hash ^ ((value >> (8 * i)) & 0xff)) * 0x100000001b3ull;
    }
    void add(std::u16string_view text)
    {
        add(text.size(), 4);
        for (const char16_t c : text)
            add(c);
    }
    std::uint64_t value() const { return m_hash; }

private:
    std::uint64_t m_hash = 0xcbf29ce484222325ull;
};

} // namespace tarnvale
