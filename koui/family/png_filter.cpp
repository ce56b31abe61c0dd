#include "koui/family/png_filter.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace ko::png {

namespace {

void unUp(uint8_t* __restrict row, const uint8_t* __restrict prior, size_t length) {
    size_t i = 0;
#if defined(__SSE2__)
    for (; i + 16 <= length; i += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(prior + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(row + i), _mm_add_epi8(x, b));
    }
#endif
    for (; i < length; ++i) row[i] = static_cast<uint8_t>(row[i] + prior[i]);
}

// The per-pixel routines take the pixel size N as a template argument so that
// the lanes a[], c[] live in registers and the lane loop unrolls.

template <unsigned N>
void unSub(uint8_t* __restrict row, size_t length) {
    uint8_t a[N];
    for (unsigned k = 0; k < N; ++k) a[k] = row[k];
    for (size_t i = N; i < length; i += N)
        for (unsigned k = 0; k < N; ++k) a[k] = row[i + k] = static_cast<uint8_t>(row[i + k] + a[k]);
}

template <unsigned N>
void unAverage(uint8_t* __restrict row, const uint8_t* __restrict prior, size_t length) {
    unsigned a[N];
    for (unsigned k = 0; k < N; ++k) a[k] = row[k] = static_cast<uint8_t>(row[k] + (prior[k] >> 1));
    for (size_t i = N; i < length; i += N)
        for (unsigned k = 0; k < N; ++k)
            a[k] = row[i + k] = static_cast<uint8_t>(row[i + k] + ((a[k] + prior[i + k]) >> 1));
}

template <unsigned N>
void unPaeth(uint8_t* __restrict row, const uint8_t* __restrict prior, size_t length) {
    int a[N], c[N];
    // First pixel: left and upper-left are zero, so the predictor is "up".
    for (unsigned k = 0; k < N; ++k) {
        a[k] = row[k] = static_cast<uint8_t>(row[k] + prior[k]);
        c[k] = prior[k];
    }
    for (size_t i = N; i < length; i += N)
        for (unsigned k = 0; k < N; ++k) {
            const int b = prior[i + k];
            a[k] = row[i + k] = static_cast<uint8_t>(row[i + k] + paethPredictor(a[k], b, c[k]));
            c[k] = b;
        }
}

#if defined(__SSE2__)
// Paeth for 3- and 4-byte pixels: one pixel per step in 16-bit lanes, the
// three distances and the choice computed with masks instead of branches.
__m128i absEpi16(__m128i x) {
    return _mm_max_epi16(x, _mm_sub_epi16(_mm_setzero_si128(), x));
}

__m128i select(__m128i mask, __m128i yes, __m128i no) {
    return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no));
}

template <unsigned N>
__m128i loadPixel(const uint8_t* p) {
    uint32_t v = 0;
    for (unsigned k = 0; k < N; ++k) v |= uint32_t{p[k]} << (8 * k);
    return _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(v)), _mm_setzero_si128());
}

template <unsigned N>
void storePixel(uint8_t* p, __m128i x) {
    const uint32_t v = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(x, x)));
    for (unsigned k = 0; k < N; ++k) p[k] = static_cast<uint8_t>(v >> (8 * k));
}

template <unsigned N>
void unPaethSse2(uint8_t* __restrict row, const uint8_t* __restrict prior, size_t length) {
    const __m128i byteMask = _mm_set1_epi16(0xff);
    __m128i a = _mm_setzero_si128();
    __m128i c = _mm_setzero_si128();
    for (size_t i = 0; i < length; i += N) {
        const __m128i b = loadPixel<N>(prior + i);
        const __m128i x = loadPixel<N>(row + i);
        const __m128i pa = absEpi16(_mm_sub_epi16(b, c));
        const __m128i pb = absEpi16(_mm_sub_epi16(a, c));
        const __m128i pc = absEpi16(_mm_sub_epi16(_mm_add_epi16(a, b), _mm_add_epi16(c, c)));
        const __m128i smallest = _mm_min_epi16(pc, _mm_min_epi16(pa, pb));
        const __m128i nearest =
            select(_mm_cmpeq_epi16(pa, smallest), a, select(_mm_cmpeq_epi16(pb, smallest), b, c));
        a = _mm_and_si128(_mm_add_epi16(x, nearest), byteMask);
        storePixel<N>(row + i, a);
        c = b;
    }
}
#endif

template <unsigned N>
void unfilterPixels(uint8_t filter, uint8_t* row, const uint8_t* prior, size_t length) {
    switch (filter) {
        case kSub:
            unSub<N>(row, length);
            break;
        case kAverage:
            unAverage<N>(row, prior, length);
            break;
        case kPaeth:
#if defined(__SSE2__)
            if constexpr (N == 3 || N == 4) {
                unPaethSse2<N>(row, prior, length);
                break;
            }
#endif
            unPaeth<N>(row, prior, length);
            break;
        default:
            break;
    }
}

}  // namespace

bool unfilterRow(uint8_t filter, uint8_t* row, const uint8_t* prior, size_t length, unsigned stride) {
    if (filter > kPaeth) return false;
    if (filter == kNone || length == 0) return true;
    if (filter == kUp) {
        unUp(row, prior, length);
        return true;
    }
    switch (stride) {
        case 1:
            unfilterPixels<1>(filter, row, prior, length);
            break;
        case 2:
            unfilterPixels<2>(filter, row, prior, length);
            break;
        case 3:
            unfilterPixels<3>(filter, row, prior, length);
            break;
        case 4:
            unfilterPixels<4>(filter, row, prior, length);
            break;
        case 6:
            unfilterPixels<6>(filter, row, prior, length);
            break;
        case 8:
            unfilterPixels<8>(filter, row, prior, length);
            break;
        default:
            return false;
    }
    return true;
}

}  // namespace ko::png
