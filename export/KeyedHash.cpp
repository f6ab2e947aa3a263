#include "KeyedHash.h"

#include <random>

namespace tessely
{
namespace
{

std::uint64_t rotate(std::uint64_t x, int bits)
{
    return (x << bits) | (x >> (64 - bits));
}

} // namespace

KeyedHash::Keys KeyedHash::randomKeys()
{
    std::random_device device;
    Keys keys {};
    for (auto& key : keys)
        key = (static_cast<std::uint64_t>(device()) << 32) ^ device();
    return keys;
}

KeyedHash::KeyedHash(const Keys& keys)
    : m_v { keys[0] ^ 0x736f6d6570736575ULL,
        keys[1] ^ 0x646f72616e646f6dULL ^ 0xee,
        keys[0] ^ 0x6c7967656e657261ULL,
        keys[1] ^ 0x7465646279746573ULL }
{
}

void KeyedHash::round()
{
    auto& [v0, v1, v2, v3] = m_v;
    v0 += v1;
    v1 = rotate(v1, 13);
    v1 ^= v0;
    v0 = rotate(v0, 32);
    v2 += v3;
    v3 = rotate(v3, 16);
    v3 ^= v2;
    v0 += v3;
    v3 = rotate(v3, 21);
    v3 ^= v0;
    v2 += v1;
    v1 = rotate(v1, 17);
    v1 ^= v2;
    v2 = rotate(v2, 32);
}

void KeyedHash::block(std::uint64_t m)
{
    m_v[3] ^= m;
    round();
    round();
    m_v[0] ^= m;
}

void KeyedHash::add(std::string_view bytes)
{
    for (const char c : bytes) {
        m_pending |= static_cast<std::uint64_t>(static_cast<unsigned char>(c)) << (8 * (m_length % 8));
        if (++m_length % 8 == 0) {
            block(m_pending);
            m_pending = 0;
        }
    }
}

KeyedHash::Value KeyedHash::value() const
{
    KeyedHash sum = *this;
    sum.block(m_pending | (m_length << 56));
    sum.m_v[2] ^= 0xee;
    Value result {};
    for (auto& half : result) {
        for (int r = 0; r < 4; ++r)
            sum.round();
        half = sum.m_v[0] ^ sum.m_v[1] ^ sum.m_v[2] ^ sum.m_v[3];
        sum.m_v[1] ^= 0xdd;
    }
    return result;
}

} // namespace tessely
