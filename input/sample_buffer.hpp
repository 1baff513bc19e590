#pragma once
// The accepted samples of the open window: four parallel float arrays with
// running sums, filled by the logger reader and read by the statistics.

#include <cstddef>
#include <cstdint>
#include <functional>

#include "platform/large_allocation.hpp"

namespace field {

/// One float array of the sample buffer: its share of the buffer's storage.
/// Only the first `count` entries are ever read, and the storage is not
/// zero-filled, so capacity a run never uses is never touched.
class SampleArray {
public:
    float* data() { return data_; }
    const float* data() const { return data_; }
    std::size_t size() const { return size_; }
    float& operator[](std::size_t i) { return data_[i]; }
    float operator[](std::size_t i) const { return data_[i]; }

private:
    friend class SampleBuffer;
    float* data_ = nullptr;
    std::size_t size_ = 0;
};

/// Four parallel float arrays of the current window with running sums.
/// Starts with a fixed capacity allocated once; grows (never drops a sample,
/// never writes past its storage) when a window holds more samples.
class SampleBuffer {
public:
    explicit SampleBuffer(std::size_t capacity);
    SampleBuffer(const SampleBuffer&) = delete;
    SampleBuffer& operator=(const SampleBuffer&) = delete;

    /// Stores one sample at index `count` and adds it to the running sums (float, arrival order).
    void append(float u_, float v_, float w_, float ts_) {
        if (static_cast<std::size_t>(count) == u.size()) grow();
        const auto i = static_cast<std::size_t>(count);
        u[i] = u_;
        v[i] = v_;
        w[i] = w_;
        Ts[i] = ts_;
        sumU += u_;
        sumV += v_;
        sumW += w_;
        sumTs += ts_;
        ++count;
    }
    /// Sets `count` and the sums to 0; the arrays keep their storage.
    void clear() {
        count = 0;
        sumU = sumV = sumW = sumTs = 0.0f;
    }
    std::size_t capacity() const { return u.size(); }
    /// Makes this buffer hold what `other` holds (samples and sums), growing when needed.
    void copyFrom(const SampleBuffer& other);
    /// Where growing finds no memory, `release` is called once and growing tried again; it
    /// gives back memory held for the window and says whether it freed any.
    void onShortage(std::function<bool()> release) { releaseOnShortage_ = std::move(release); }

    SampleArray u, v, w, Ts;
    std::int32_t count = 0;
    float sumU = 0.0f, sumV = 0.0f, sumW = 0.0f, sumTs = 0.0f;

private:
    void grow();
    // One allocation for the four arrays, so that a long window's buffer is a few large pages.
    void place(LargeArray<float> storage, std::size_t capacity);
    LargeArray<float> storage_;
    std::function<bool()> releaseOnShortage_;
};

}  // namespace field
