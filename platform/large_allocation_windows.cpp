#include <cstdlib>

#include "platform/large_allocation.hpp"

namespace field {

// Large pages on Windows need a privilege the users do not have: ordinary memory.
void* allocateLarge(std::size_t bytes) {
    if (void* p = std::malloc(bytes == 0 ? 1 : bytes)) return p;
    throw std::bad_alloc();
}

void freeLarge(void* p, std::size_t) noexcept { std::free(p); }

}  // namespace field
