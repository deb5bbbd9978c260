#pragma once

// The story's replies as compile-time constants. A reply said on its own is a
// plain string view; a piece that other replies are joined from is a Text,
// whose length is part of its type, so that the joined reply is a constant
// of the right size too and nothing is put together at start-up.

#include <array>
#include <cstddef>
#include <initializer_list>
#include <string_view>

namespace tarnvale::story {

// A reply of N UTF-16 code units, without a terminating zero. It reads as a
// string view wherever one is expected.
template <std::size_t N>
struct Text {
    std::array<char16_t, N> chars{};

    constexpr Text() = default;

    // From a string literal, whose terminating zero is left out.
    constexpr Text(const char16_t (&literal)[N + 1])
    {
        for (std::size_t i = 0; i < N; ++i)
            chars[i] = literal[i];
    }

    constexpr std::u16string_view view() const { return {chars.data(), N}; }
    constexpr operator std::u16string_view() const { return view(); }
};

template <std::size_t N>
Text(const char16_t (&literal)[N]) -> Text<N - 1>;

namespace text_detail {

// How many code units a piece of a joined reply adds: a string literal
// without its terminating zero, or a whole Text.
template <typename Piece>
struct Length;

template <std::size_t N>
struct Length<char16_t[N]> {
    static constexpr std::size_t value = N - 1;
};

template <std::size_t N>
struct Length<Text<N>> {
    static constexpr std::size_t value = N;
};

template <std::size_t N>
constexpr std::u16string_view view(const char16_t (&literal)[N])
{
    return {literal, N - 1};
}

template <std::size_t N>
constexpr std::u16string_view view(const Text<N> &text)
{
    return text.view();
}

} // namespace text_detail

// The pieces, string literals and Texts, one after another as one Text.
// Only ever evaluated by the compiler.
template <typename... Pieces>
consteval Text<(text_detail::Length<Pieces>::value + ...)> join(const Pieces &...pieces)
{
    Text<(text_detail::Length<Pieces>::value + ...)> joined;
    std::size_t at = 0;
    for (const std::u16string_view piece : {text_detail::view(pieces)...}) {
        for (const char16_t ch : piece)
            joined.chars[at++] = ch;
    }
    return joined;
}

} // namespace tarnvale::story
