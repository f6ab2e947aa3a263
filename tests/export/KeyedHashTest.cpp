#include "export/KeyedHash.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace tessely
{
namespace
{

std::string hex(const KeyedHash::Value& value)
{
    std::string text;
    char byte[3];
    for (const std::uint64_t half : value) {
        for (int i = 0; i < 8; ++i) {
            std::snprintf(byte, sizeof byte, "%02x", static_cast<unsigned>(half >> (8 * i)) & 0xFF);
            text += byte;
        }
    }
    return text;
}

TEST(KeyedHash, GivesSipHashsOwnOutputsWhateverThePieces)
{
    // The published 128-bit SipHash-2-4 outputs for the key 00 01 ... 0f and the messages 00 01 ... (n - 1).
    const struct {
        std::size_t length;
        std::string hash;
    } cases[] = {
        { 0, "a3817f04ba25a8e66df67214c7550293" },
        { 15, "5493e99933b0a8117e08ec0f97cfc3d9" },
    };
    const KeyedHash::Keys keys = { 0x0706050403020100ULL, 0x0f0e0d0c0b0a0908ULL };
    for (const auto& c : cases) {
        std::string message;
        for (std::size_t i = 0; i < c.length; ++i)
            message.push_back(static_cast<char>(i));
        for (std::size_t cut = 0; cut <= c.length; ++cut) {
            KeyedHash hash(keys);
            hash.add(std::string_view(message).substr(0, cut));
            hash.add(std::string_view(message).substr(cut));
            EXPECT_EQ(hex(hash.value()), c.hash) << c.length << " cut at " << cut;
        }
    }
}

} // namespace
} // namespace tessely
