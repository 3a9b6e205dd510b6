#include "probe/home_block.h"

#include <array>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

namespace {

using block = std::array<unsigned char, BLOCK_SIZE>;

// A block of 0xE5 bytes, as a freshly formatted diskette holds, with the
// given bytes written at an offset.
block with_bytes_at(std::size_t offset, const std::string &bytes)
{
    block result{};
    result.fill(0xE5);
    std::memcpy(result.data() + offset, bytes.data(), bytes.size());
    return result;
}

TEST(HomeBlock, StandsAtPdpBlockOneInEitherOrder)
{
    EXPECT_EQ(HOME_BLOCK_IN_PDP_ORDER, 1U);
    EXPECT_EQ(sector_map[HOME_BLOCK_IN_PRO_ORDER], HOME_BLOCK);
}

TEST(HomeBlock, IsKnownByItsSignatureAlone)
{
    struct Case {
        std::size_t offset;
        std::string bytes;
        const char *kind;
    };
    const Case cases[] = {
        {SIGNATURE_OFFSET, "DECRT11A    ", "RT-11 volume"},
        {SIGNATURE_OFFSET, "DECFILE11A  ", "Files-11 ODS-1 volume"},
        {SIGNATURE_OFFSET, "DECFILE11B  ", "Files-11 ODS-2 volume"},
        {SIGNATURE_OFFSET, "DECRT11A   \t", nullptr},
        {SIGNATURE_OFFSET, std::string("DECFILE11B \0", 12), nullptr},
        {SIGNATURE_OFFSET, "DECFILE11C  ", nullptr},
        {SIGNATURE_OFFSET, "decrt11a    ", nullptr},
        {SIGNATURE_OFFSET - 1, "DECRT11A    ", nullptr},
        {SIGNATURE_OFFSET + 1, "DECRT11A    ", nullptr},
        {LABEL_OFFSET, "DECRT11A    ", nullptr},
    };
    for (const Case &c : cases) {
        const block home = with_bytes_at(c.offset, c.bytes);
        const char *kind = volume_kind(home.data());
        EXPECT_STREQ(kind, c.kind) << "at " << c.offset << ": " << c.bytes;
    }
}

TEST(HomeBlock, LabelIsTrimmedAndEscaped)
{
    struct Case {
        std::string label; // 12 bytes
        const char *text;
    };
    const Case cases[] = {
        {"MY VOLUME   ", "MY VOLUME"},
        {"  LEADING   ", "  LEADING"},
        {"ABCDEFGHIJKL", "ABCDEFGHIJKL"},
        {std::string("A\0\0 \0 \0\0\0\0\0\0", 12), "A"},
        {std::string(12, '\0'), ""},
        {std::string(12, ' '), ""},
        {std::string("A\0B         ", 12), "A\\000B"},
        {"SAY \"HI\" \\  ", "SAY \\042HI\\042 \\134"},
        {"\x1b[2J\x07\t\r\n\x7f\x80\xff ", "\\033[2J\\007\\011\\015\\012\\177\\200\\377"},
        {"~ !%s%n     ", "~ !%s%n"},
        // The longest text there is: every byte escaped.
        {std::string(12, '\x01'), "\\001\\001\\001\\001\\001\\001\\001\\001\\001\\001\\001\\001"},
    };
    for (const Case &c : cases) {
        ASSERT_EQ(c.label.size(), LABEL_SIZE);
        const block home = with_bytes_at(LABEL_OFFSET, c.label);
        std::array<char, LABEL_TEXT_SIZE + 1> text{};
        text.back() = '#'; // must be left alone
        label_text(home.data(), text.data());
        EXPECT_STREQ(text.data(), c.text);
        EXPECT_EQ(text.back(), '#');
    }
}

} // namespace
