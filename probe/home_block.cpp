#include "probe/home_block.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace {

struct volume_signature {
    const char *signature; // the home block's 12 bytes at SIGNATURE_OFFSET
    const char *kind;
};

constexpr volume_signature VOLUME_SIGNATURES[] = {
    {"DECRT11A    ", "RT-11 volume"},
    {"DECFILE11A  ", "Files-11 ODS-1 volume"},
    {"DECFILE11B  ", "Files-11 ODS-2 volume"},
};

consteval bool every_signature_fills_its_field()
{
    return std::ranges::all_of(VOLUME_SIGNATURES, [](const volume_signature &row) {
        return std::string_view(row.signature).size() == SIGNATURE_SIZE;
    });
}

static_assert(every_signature_fills_its_field());
static_assert(LABEL_OFFSET + LABEL_SIZE <= SIGNATURE_OFFSET && SIGNATURE_OFFSET + SIGNATURE_SIZE <= BLOCK_SIZE);

bool shown_as_it_stands(unsigned char byte)
{
    return byte >= 0x20 && byte <= 0x7E && byte != '"' && byte != '\\';
}

} // namespace

const char *volume_kind(const unsigned char *block)
{
    for (const volume_signature &row : VOLUME_SIGNATURES) {
        if (std::memcmp(block + SIGNATURE_OFFSET, row.signature, SIGNATURE_SIZE) == 0) {
            return row.kind;
        }
    }
    return nullptr;
}

void label_text(const unsigned char *block, char text[LABEL_TEXT_SIZE])
{
    const unsigned char *label = block + LABEL_OFFSET;
    std::size_t length = LABEL_SIZE;
    while (length > 0 && (label[length - 1] == ' ' || label[length - 1] == '\0')) {
        --length;
    }
    std::size_t out = 0;
    for (std::size_t i = 0; i < length; ++i) {
        const unsigned char byte = label[i];
        if (shown_as_it_stands(byte)) {
            text[out++] = static_cast<char>(byte);
        } else {
            text[out++] = '\\';
            text[out++] = static_cast<char>('0' + (byte >> 6));
            text[out++] = static_cast<char>('0' + ((byte >> 3) & 7));
            text[out++] = static_cast<char>('0' + (byte & 7));
        }
    }
    text[out] = '\0';
}
