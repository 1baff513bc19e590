#pragma once
// Storage for the big buffers a run fills over and over (logger blocks, the
// sample buffer, the sample times). A first touch of a page costs a page
// fault, some 10 us each on a virtual machine: 4 KiB pages made a run of one
// day's data spend a fifth of its time mapping its own buffers. From
// kLargePageBytes on, the storage is aligned to 2 MiB and asks the system for
// 2 MiB pages where it offers them (a page is then resident whole, so smaller
// requests stay on ordinary pages); systems without them get ordinary memory.
// Nothing is zero-filled.

#include <cstddef>
#include <memory>
#include <new>
#include <type_traits>

namespace field {

inline constexpr std::size_t kLargePageBytes = std::size_t{2} << 20;

/// At least `bytes` of uninitialised storage (one byte for 0); throws std::bad_alloc.
void* allocateLarge(std::size_t bytes);
/// Frees what allocateLarge(bytes) gave, with the same `bytes`; null is ignored.
void freeLarge(void* p, std::size_t bytes) noexcept;

/// Deleter of a LargeArray: remembers the size it was allocated with.
struct LargeFree {
    std::size_t bytes = 0;
    void operator()(void* p) const noexcept { freeLarge(p, bytes); }
};

/// An uninitialised array from allocateLarge (trivial element types only).
template <class T>
using LargeArray = std::unique_ptr<T[], LargeFree>;

template <class T>
LargeArray<T> makeLargeArray(std::size_t count) {
    static_assert(std::is_trivially_default_constructible_v<T> && std::is_trivially_destructible_v<T>);
    if (count > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_alloc();
    const std::size_t bytes = count * sizeof(T);
    return LargeArray<T>(static_cast<T*>(allocateLarge(bytes)), LargeFree{bytes});
}

/// A std::allocator that takes its storage from allocateLarge.
template <class T>
struct LargeAllocator {
    using value_type = T;
    LargeAllocator() = default;
    template <class U>
    LargeAllocator(const LargeAllocator<U>&) noexcept {}
    T* allocate(std::size_t n) {
        if (n > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_alloc();
        return static_cast<T*>(allocateLarge(n * sizeof(T)));
    }
    void deallocate(T* p, std::size_t n) noexcept { freeLarge(p, n * sizeof(T)); }
    template <class U>
    bool operator==(const LargeAllocator<U>&) const noexcept {
        return true;
    }
};

}  // namespace field
