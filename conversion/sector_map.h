// The two block orders of an RX50 image and the one table that relates them.
//
// An image is 80 tracks of 10 sectors: 800 blocks of 512 bytes, nothing else.
// In pdp order the blocks of a track stand in sector order; in pro order each
// track is laid out with a 2:1 interleave and a skew of 2 sectors per track,
// and the whole disk is moved up one track (the last pdp track wraps round to
// pro track 0). The table is all the conversion knows about either order.
#ifndef RX50ORDER_CONVERSION_SECTOR_MAP_H
#define RX50ORDER_CONVERSION_SECTOR_MAP_H

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

inline constexpr std::size_t BLOCK_SIZE = 512;
inline constexpr std::size_t BLOCK_COUNT = 800;
inline constexpr std::size_t IMAGE_SIZE = BLOCK_SIZE * BLOCK_COUNT;

static_assert(IMAGE_SIZE == 409600);

// Entry i is the pdp block that stands at block i in pro order. Worked out
// here, at compile time, so the program carries only the finished table.
// Block b is slot b % 10 of track b / 10 in either order.
consteval std::array<std::uint16_t, BLOCK_COUNT> make_sector_map()
{
    std::array<std::uint16_t, BLOCK_COUNT> map{};
    for (int i = 0; i < static_cast<int>(BLOCK_COUNT); ++i) {
        const int pro_track = i / 10;
        const int pro_slot = i % 10;
        const int pdp_track = (pro_track + 79) % 80;
        // The place in the track before the skew of 2 per track, in 0..9.
        const int place = ((pro_slot - 2 * pdp_track) % 10 + 10) % 10;
        // Undo the 2:1 interleave: even places hold slots 0-4, odd ones 5-9.
        const int pdp_slot = place / 2 + 5 * (place % 2);
        map[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(10 * pdp_track + pdp_slot);
    }
    return map;
}

inline constexpr std::array<std::uint16_t, BLOCK_COUNT> sector_map = make_sector_map();

// The byte at which a block begins. Widened before the shift, so that no
// block number can overflow.
constexpr std::uint32_t block_offset(std::uint16_t block)
{
    return std::uint32_t{block} << 9;
}

// Where a pdp-order block stands in pro order: the entry that holds it
// (BLOCK_COUNT, which is no block, for a number that is no block).
consteval std::uint16_t pro_block_of(std::uint16_t pdp_block)
{
    for (std::size_t i = 0; i < BLOCK_COUNT; ++i) {
        if (sector_map[i] == pdp_block) {
            return static_cast<std::uint16_t>(i);
        }
    }
    return static_cast<std::uint16_t>(BLOCK_COUNT);
}

namespace sector_map_proof {

consteval bool is_permutation_of_all_blocks()
{
    std::array<std::uint16_t, BLOCK_COUNT> sorted = sector_map;
    std::sort(sorted.begin(), sorted.end());
    for (std::size_t b = 0; b < BLOCK_COUNT; ++b) {
        if (sorted[b] != b) {
            return false;
        }
    }
    return true;
}

consteval bool has_row(std::size_t first, std::array<std::uint16_t, 10> row)
{
    return std::equal(row.begin(), row.end(), sector_map.begin() + static_cast<std::ptrdiff_t>(first));
}

} // namespace sector_map_proof

// Every entry is a block number below 800, each exactly once, so every
// offset taken from the table lies wholly inside the image and each
// direction writes every output block exactly once.
static_assert(sector_map_proof::is_permutation_of_all_blocks());
static_assert(sector_map_proof::has_row(0, {791, 796, 792, 797, 793, 798, 794, 799, 790, 795}));
static_assert(sector_map_proof::has_row(10, {0, 5, 1, 6, 2, 7, 3, 8, 4, 9}));
static_assert(sector_map_proof::has_row(20, {14, 19, 10, 15, 11, 16, 12, 17, 13, 18}));
static_assert(sector_map_proof::has_row(30, {23, 28, 24, 29, 20, 25, 21, 26, 22, 27}));
static_assert(sector_map_proof::has_row(790, {782, 787, 783, 788, 784, 789, 780, 785, 781, 786}));
static_assert(sizeof sector_map == 1600);
static_assert(block_offset(799) + BLOCK_SIZE == IMAGE_SIZE);
static_assert(pro_block_of(0) == 10 && pro_block_of(1) == 12 && pro_block_of(791) == 0);

#endif
