// The row filters against a byte-at-a-time transcription of their definitions.
#include "koui/family/png_filter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

namespace {

using namespace ko::png;

// Predictors straight from the format's definition, with branches.
int referencePaeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return a;
    if (pb <= pc) return b;
    return c;
}

void referenceUnfilter(int filter, std::vector<uint8_t>& row, const std::vector<uint8_t>& prior, size_t bpp) {
    for (size_t i = 0; i < row.size(); ++i) {
        const int a = i >= bpp ? row[i - bpp] : 0;
        const int b = prior[i];
        const int c = i >= bpp ? prior[i - bpp] : 0;
        // None, Sub, Up, Average, Paeth.
        const int predicted[] = {0, a, b, (a + b) / 2, referencePaeth(a, b, c)};
        row[i] = static_cast<uint8_t>(row[i] + predicted[filter]);
    }
}

TEST(PngFilter, EveryFilterAndPixelSizeMatchesTheReference) {
    std::mt19937 random(1234);
    std::uniform_int_distribution<int> byte(0, 255);
    for (unsigned stride : {1u, 2u, 3u, 4u, 6u, 8u}) {
        for (size_t pixels : {1u, 2u, 5u, 16u, 37u}) {
            const size_t length = pixels * stride;
            for (int filter = 0; filter <= 4; ++filter) {
                std::vector<uint8_t> prior(length), row(length);
                for (auto& v : prior) v = static_cast<uint8_t>(byte(random));
                for (auto& v : row) v = static_cast<uint8_t>(byte(random));
                std::vector<uint8_t> expected = row;
                referenceUnfilter(filter, expected, prior, stride);
                ASSERT_TRUE(
                    unfilterRow(static_cast<uint8_t>(filter), row.data(), prior.data(), length, stride));
                EXPECT_EQ(row, expected)
                    << "filter " << filter << " stride " << stride << " pixels " << pixels;
            }
        }
    }
}

}  // namespace
