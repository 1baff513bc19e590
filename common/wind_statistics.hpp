#pragma once
// The accepted samples of one window and the statistics computed from them.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "common/measurement_case.hpp"
#include "common/program_variant.hpp"
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

/// Statistics of one window; fields are named after their column keys.
struct WindSummary {
    float SourceStrength = 0.0f;
    float UStar = 0.0f;
    float L = 0.0f;
    float WindSpeed = 0.0f;
    float WindDirection = 0.0f;
    float AvgU = 0.0f;
    float UStd = 0.0f;
    float AvgV = 0.0f;
    float VStd = 0.0f;
    float AvgW = 0.0f;
    float WStd = 0.0f;
    float AvgTs = 0.0f;
    float TsStd = 0.0f;
    std::array<float, 5> UZ{};  // 5, 3.15, 2.225, 1.3, 0.5 m
};

/// Covariance of `x` with the rotated w of the buffer: float sum in index order,
/// divided by (count - 1) when count > 1, else returned undivided.
float covarianceWithW(const SampleBuffer& buffer, const float* x, float meanX, float avgW);

/// The double rotation, in place: u along the mean wind, mean v and mean w zero (angles
/// from the running sums); computeWindSummary's first step, for whoever needs only that.
void rotateSamples(SampleBuffer& buffer);

/// Rotates the buffer in place and fills `summary` (then the source strength and,
/// where the variant says so, the wind profile). One pass per statistic, no allocation.
void computeWindSummary(SampleBuffer& buffer, WindSummary& summary, const MeasurementCase& windowCase,
                        const ProgramVariant& variant);

}  // namespace field
