#pragma once

// Allocations that fail on purpose, as when no memory is left: once armed,
// the n-th allocation from then on throws std::bad_alloc. Replaces the global
// operator new; include it in one file of a program only.

#include <cstdlib>
#include <new>

namespace tarnvale::fuzz {
inline long g_allocationsLeft = -1;   // -1: none fails
}

void *operator new(std::size_t size)
{
    long &left = tarnvale::fuzz::g_allocationsLeft;
    if (left == 0) {
        left = -1;
        throw std::bad_alloc();
    }
    if (left > 0)
        --left;
    if (void *p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void *operator new[](std::size_t size) { return operator new(size); }
void *operator new(std::size_t size, const std::nothrow_t &) noexcept { return std::malloc(size ? size : 1); }
void *operator new[](std::size_t size, const std::nothrow_t &) noexcept { return std::malloc(size ? size : 1); }
void operator delete(void *p) noexcept { std::free(p); }
void operator delete[](void *p) noexcept { std::free(p); }
void operator delete(void *p, std::size_t) noexcept { std::free(p); }
void operator delete[](void *p, std::size_t) noexcept { std::free(p); }

namespace tarnvale::fuzz {

// Runs `action` with its n-th allocation failing; whether it failed.
template <typename F>
bool failsWithoutMemory(long n, F &&action)
{
    g_allocationsLeft = n;
    try {
        action();
    } catch (const std::bad_alloc &) {
        g_allocationsLeft = -1;
        return true;
    }
    g_allocationsLeft = -1;
    return false;
}

} // namespace tarnvale::fuzz
