#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>

#include "platform/large_allocation.hpp"

namespace field {
namespace {

bool isLarge(std::size_t bytes) { return bytes >= kLargePageBytes; }

std::size_t roundedUp(std::size_t bytes) { return (bytes + kLargePageBytes - 1) / kLargePageBytes * kLargePageBytes; }

}  // namespace

void* allocateLarge(std::size_t bytes) {
    if (!isLarge(bytes)) {
        if (void* p = std::malloc(bytes == 0 ? 1 : bytes)) return p;
        throw std::bad_alloc();
    }
    if (bytes > static_cast<std::size_t>(-1) - 2 * kLargePageBytes) throw std::bad_alloc();
    // Map one page more than needed and give back what lies outside the aligned part.
    const std::size_t size = roundedUp(bytes);
    void* raw = mmap(nullptr, size + kLargePageBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t aligned = (start + kLargePageBytes - 1) / kLargePageBytes * kLargePageBytes;
    if (aligned > start) munmap(raw, aligned - start);
    const std::uintptr_t tail = aligned + size;
    const std::uintptr_t end = start + size + kLargePageBytes;
    if (end > tail) munmap(reinterpret_cast<void*>(tail), end - tail);
#ifdef MADV_HUGEPAGE
    madvise(reinterpret_cast<void*>(aligned), size, MADV_HUGEPAGE);  // only a wish: small pages still work
#endif
    return reinterpret_cast<void*>(aligned);
}

void freeLarge(void* p, std::size_t bytes) noexcept {
    if (p == nullptr) return;
    if (!isLarge(bytes))
        std::free(p);
    else
        munmap(p, roundedUp(bytes));
}

}  // namespace field
