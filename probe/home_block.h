// What a volume's home block tells about an image: which file system made
// the volume, and its label.
//
// A volume's home block is its block 1, and a volume numbers its blocks in
// pdp order: in a pdp-order image the home block is image block 1, in a
// pro-order image it stands where the sector map puts pdp block 1.
#ifndef RX50ORDER_PROBE_HOME_BLOCK_H
#define RX50ORDER_PROBE_HOME_BLOCK_H

#include "conversion/sector_map.h"

#include <cstddef>
#include <cstdint>

inline constexpr std::uint16_t HOME_BLOCK = 1;
inline constexpr std::uint16_t HOME_BLOCK_IN_PDP_ORDER = HOME_BLOCK;
inline constexpr std::uint16_t HOME_BLOCK_IN_PRO_ORDER = pro_block_of(HOME_BLOCK);

static_assert(HOME_BLOCK_IN_PRO_ORDER == 12);

inline constexpr std::size_t LABEL_OFFSET = 472;
inline constexpr std::size_t LABEL_SIZE = 12;
inline constexpr std::size_t SIGNATURE_OFFSET = 496;
inline constexpr std::size_t SIGNATURE_SIZE = 12;

// The longest label text: every byte shown as a backslash and three octal
// digits, and the terminating NUL.
inline constexpr std::size_t LABEL_TEXT_SIZE = 4 * LABEL_SIZE + 1;

// What kind of volume the block is the home block of, as the probe names
// it ("RT-11 volume"), or null when it is no home block.
const char *volume_kind(const unsigned char *block);

// The block's label as text that is safe on any terminal and can stand
// between double quotes: trailing blanks and NULs dropped, and every byte
// outside 0x20-0x7E, every double quote and every backslash shown as a
// backslash and three octal digits.
void label_text(const unsigned char *block, char text[LABEL_TEXT_SIZE]);

#endif
