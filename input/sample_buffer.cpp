#include "input/sample_buffer.hpp"

#include <algorithm>
#include <new>
#include <utility>

namespace field {

SampleBuffer::SampleBuffer(std::size_t capacity) {
    if (capacity > static_cast<std::size_t>(-1) / 4) throw std::bad_alloc();
    place(makeLargeArray<float>(4 * capacity), capacity);
}

void SampleBuffer::place(LargeArray<float> storage, std::size_t capacity) {
    storage_ = std::move(storage);
    SampleArray* arrays[4] = {&u, &v, &w, &Ts};
    for (std::size_t k = 0; k < 4; ++k) {
        arrays[k]->data_ = storage_.get() + k * capacity;
        arrays[k]->size_ = capacity;
    }
}

void SampleBuffer::grow() {
    // Doubling keeps the number of reallocations per run logarithmic; a buffer
    // that once held a long window keeps that storage for the rest of the run.
    const std::size_t size = u.size() == 0 ? 1 : 2 * u.size();
    if (size > static_cast<std::size_t>(-1) / 4) throw std::bad_alloc();
    const auto keep = std::min(static_cast<std::size_t>(count), u.size());
    LargeArray<float> bigger;
    try {
        bigger = makeLargeArray<float>(4 * size);
    } catch (const std::bad_alloc&) {
        // The samples come first: memory kept beside them for the same window is given up.
        if (!releaseOnShortage_ || !releaseOnShortage_()) throw;
        bigger = makeLargeArray<float>(4 * size);
    }
    const SampleArray* arrays[4] = {&u, &v, &w, &Ts};
    for (std::size_t k = 0; k < 4; ++k) std::copy_n(arrays[k]->data(), keep, bigger.get() + k * size);
    place(std::move(bigger), size);
}

void SampleBuffer::copyFrom(const SampleBuffer& other) {
    const auto n = static_cast<std::size_t>(other.count);
    if (n > u.size()) {
        // An eighth more than asked: windows of a run differ by a few minutes.
        const std::size_t size = n + n / 8;
        if (size > static_cast<std::size_t>(-1) / 4) throw std::bad_alloc();
        place(makeLargeArray<float>(4 * size), size);
    }
    std::copy_n(other.u.data(), n, u.data());
    std::copy_n(other.v.data(), n, v.data());
    std::copy_n(other.w.data(), n, w.data());
    std::copy_n(other.Ts.data(), n, Ts.data());
    count = other.count;
    sumU = other.sumU;
    sumV = other.sumV;
    sumW = other.sumW;
    sumTs = other.sumTs;
}

}  // namespace field
