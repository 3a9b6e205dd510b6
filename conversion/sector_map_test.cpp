#include "conversion/sector_map.h"

#include <gtest/gtest.h>

namespace {

// Where pdp block n stands in pro order, read from the pdp side: a 2:1
// interleave, a skew of 2 per track, and the disk moved up one track.
std::size_t pro_block_of_pdp_block(std::size_t n)
{
    const std::size_t track = n / 10;
    const std::size_t slot = n % 10;
    const std::size_t interleaved = slot <= 4 ? 2 * slot : 2 * slot - 9;
    return 10 * ((track + 1) % 80) + (interleaved + 2 * track) % 10;
}

TEST(SectorMap, AgreesWithThePdpSideReading)
{
    for (std::size_t n = 0; n < BLOCK_COUNT; ++n) {
        EXPECT_EQ(sector_map[pro_block_of_pdp_block(n)], n) << "pdp block " << n;
    }
}

TEST(SectorMap, InterleaveAndSkewOnTheFirstTracks)
{
    // pdp track 0 lands on pro track 1 without skew; pdp track 1 lands on
    // pro track 2 shifted by two slots.
    EXPECT_EQ(pro_block_of_pdp_block(0), 10U);
    EXPECT_EQ(pro_block_of_pdp_block(5), 11U);
    EXPECT_EQ(pro_block_of_pdp_block(10), 22U);
    EXPECT_EQ(pro_block_of_pdp_block(799), 7U);
}

} // namespace
