#pragma once
// The four values of a logger line read by the layout of a line seen before: a
// logger writes its lines in few layouts (where the commas, points and minus
// signs stand), so that once a layout has been read by the comma route, a line
// of the same layout needs no search and no check per value, only its digits.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "input/logger_record.hpp"

namespace field {

#if FIELD_SSE2
/// The layouts of the last lines read, each kept where its non-digit bytes hash to. Each
/// reader owns one (it holds no pointer into any line).
class SonicLayouts {
public:
    /// parseSonicValues(rest), the same bits: by a known layout where `rest` has one, else by
    /// the comma route (whose layout is then kept) or the plain and general routes.
    // Inline: called once per line inside a window, where a call's saving of registers and
    // the values' way back through memory cost a tenth of the parse.
    [[gnu::always_inline]] SonicValues parse(std::string_view rest) {
        SonicValues s;
        const std::size_t size = rest.size();
        if (size < 16) return parseSonicValues(rest);
        const char* const p = rest.data();
        // The first 48 bytes (fewer in a shorter text, the last load then overlapping the one
        // before) with every digit made '0': the layout of the text.
        const std::size_t seen = size < 48 ? size : 48;
        const std::size_t from[3] = {0, seen > 32 ? std::size_t{16} : std::size_t{0}, seen - 16};
        __m128i shape[3];
        std::uint64_t nonDigits = 0;
        for (int r = 0; r < 3; ++r) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + from[r]));
            const __m128i value = _mm_sub_epi8(bytes, _mm_set1_epi8('0'));
            const __m128i digit = _mm_cmpeq_epi8(_mm_min_epu8(value, _mm_set1_epi8(9)), value);
            shape[r] = _mm_or_si128(_mm_and_si128(digit, _mm_set1_epi8('0')), _mm_andnot_si128(digit, bytes));
            nonDigits |= std::uint64_t{static_cast<std::uint32_t>(~_mm_movemask_epi8(digit) & 0xffff)} << from[r];
        }
        Layout& layout = layouts_[slotOf(nonDigits)];
        if (layout.seen == seen && (!layout.endsText || size == layout.size)) {
            std::uint64_t same = 0;
            for (int r = 0; r < 3; ++r)
                same |= std::uint64_t{static_cast<std::uint32_t>(
                            _mm_movemask_epi8(_mm_cmpeq_epi8(shape[r], layout.shape[r])))}
                        << from[r];
            if ((same & layout.needed) == layout.needed) return layout.values(p);
        }
        std::size_t at[5];
        if (detail::sonicFieldCommas(rest, at) && detail::sonicValuesBetween(rest, at, s)) {
            learn(layout, p, size, seen, shape, at);
            return s;
        }
        return parseSonicValues(rest);
    }

private:
    // One value's place in a layout: the 8 bytes that end with it, in which its digits lie
    // (the minus and the point not among them) and those before its point.
    struct Field {
        std::size_t end = 8;
        std::uint64_t digits = 0, beforePoint = 0;

        // The value's digits right-aligned behind leading zeros, one to a byte: those before
        // the point moved up over it.
        std::uint64_t packedDigits(const char* p) const {
            constexpr std::uint64_t kOnes = 0x0101010101010101u;
            std::uint64_t bytes;
            std::memcpy(&bytes, p + end - 8, 8);
            const std::uint64_t d = (bytes ^ (kOnes * '0')) & digits;
            return (d & ~beforePoint) | ((d & beforePoint) << 8);
        }
    };
    struct Layout {
        __m128i shape[3];
        std::uint64_t needed = 0;  // the bytes of `shape` that must agree: up to the comma behind Ts
        std::size_t seen = 0;      // 0: no layout kept here
        std::size_t size = 0;
        bool endsText = false;  // Ts ends the text: only a text of the same size has the layout
        Field fields[4];
        __m128d scales[2];  // 10^-(digits behind the point) of u and v, of w and Ts
        __m128i signs;      // the sign bit of each value that has a minus

        // The four values, two to a register: the digits combine in pairs, fours and eights as
        // plainDigitsIn8Bytes combines them, each mantissa times its power of ten in double and
        // rounded to float as plainDigitsToFloat does, the sign flipped for a minus (-value).
        SonicValues values(const char* p) const {
            __m128i fours[2];
            for (int h = 0; h < 2; ++h) {
                const __m128i w = _mm_set_epi64x(static_cast<long long>(fields[2 * h + 1].packedDigits(p)),
                                                 static_cast<long long>(fields[2 * h].packedDigits(p)));
                const __m128i pairs = _mm_add_epi16(
                    _mm_mullo_epi16(_mm_and_si128(w, _mm_set1_epi16(0xff)), _mm_set1_epi16(10)), _mm_srli_epi16(w, 8));
                fours[h] = _mm_madd_epi16(pairs, _mm_set1_epi32(1 << 16 | 100));
            }
            // Every four-digit group is below 10^4: packed to 16 bits without saturating.
            const __m128i mantissas =
                _mm_madd_epi16(_mm_packs_epi32(fours[0], fours[1]), _mm_set1_epi32(1 << 16 | 10000));
            const __m128d low = _mm_mul_pd(_mm_cvtepi32_pd(mantissas), scales[0]);
            const __m128d high = _mm_mul_pd(_mm_cvtepi32_pd(_mm_srli_si128(mantissas, 8)), scales[1]);
            const __m128 v = _mm_xor_ps(_mm_movelh_ps(_mm_cvtpd_ps(low), _mm_cvtpd_ps(high)), _mm_castsi128_ps(signs));
            float out[4];
            _mm_storeu_ps(out, v);
            SonicValues s;
            s.u = out[0];
            s.v = out[1];
            s.w = out[2];
            s.Ts = out[3];
            return s;
        }
    };

    static std::size_t slotOf(std::uint64_t nonDigits) {
        return static_cast<std::size_t>((nonDigits * 0x9E3779B97F4A7C15u) >> (64 - kSlotBits));
    }

    // Keeps the layout of a text that the comma route has read: every value a short plain
    // decimal filling its field. Fields too near the text's start for an 8-byte window are
    // not kept (the comma route reads such lines each time).
    static void learn(Layout& layout, const char* p, std::size_t size, std::size_t seen, const __m128i (&shape)[3],
                      const std::size_t (&at)[5]) {
        constexpr double kInversePowersOfTen[] = {1e0, 1e-1, 1e-2, 1e-3, 1e-4, 1e-5, 1e-6, 1e-7};
        if (at[1] < 8) return;
        Layout next;
        double scale[4] = {1.0, 1.0, 1.0, 1.0};
        int sign[4] = {0, 0, 0, 0};
        for (int k = 0; k < 4; ++k) {
            const std::size_t begin = at[k] + 1, end = at[k + 1];
            Field& f = next.fields[k];
            f.end = end;
            const std::size_t first = 8 - (end - begin);  // the field's first byte in its window
            std::size_t digitsFrom = first;
            if (p[begin] == '-') {
                sign[k] = static_cast<int>(0x80000000u);
                ++digitsFrom;
            }
            for (std::size_t j = digitsFrom; j < 8; ++j) {
                if (p[end - 8 + j] == '.') {
                    f.beforePoint = (std::uint64_t{1} << (8 * j)) - 1;
                    scale[k] = kInversePowersOfTen[7 - j];
                } else {
                    f.digits |= std::uint64_t{0xff} << (8 * j);
                }
            }
        }
        const std::size_t last = at[4] < seen ? at[4] + 1 : seen;  // the comma behind Ts with it
        next.needed = last == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << last) - 1;
        for (int r = 0; r < 3; ++r) next.shape[r] = shape[r];
        next.scales[0] = _mm_set_pd(scale[1], scale[0]);
        next.scales[1] = _mm_set_pd(scale[3], scale[2]);
        next.signs = _mm_set_epi32(sign[3], sign[2], sign[1], sign[0]);
        next.seen = seen;
        next.size = size;
        next.endsText = at[4] == size;
        layout = next;
    }

    static constexpr int kSlotBits = 4;
    Layout layouts_[std::size_t{1} << kSlotBits];
};
#else
/// Without SSE2 the plain routes alone: parse is parseSonicValues.
class SonicLayouts {
public:
    SonicValues parse(std::string_view rest) { return parseSonicValues(rest); }
};
#endif

}  // namespace field
