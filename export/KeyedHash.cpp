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

void KeyedHash::Sip::round()
{
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

void KeyedHash::Sip::block(std::uint64_t m)
{
    v3 ^= m;
    round();
    round();
    v0 ^= m;
}

KeyedHash::KeyedHash(const Keys& keys)
{
    for (std::size_t i = 0; i < 2; ++i) {
        const std::uint64_t k0 = keys[2 * i];
        const std::uint64_t k1 = keys[2 * i + 1];
        m_sums[i] = { k0 ^ 0x736f6d6570736575ULL,
            k1 ^ 0x646f72616e646f6dULL,
            k0 ^ 0x6c7967656e657261ULL,
            k1 ^ 0x7465646279746573ULL };
    }
}

void KeyedHash::addByte(unsigned char byte)
{
    m_pending |= static_cast<std::uint64_t>(byte) << (8 * (m_length % 8));
    ++m_length;
    if (m_length % 8 == 0) {
        for (Sip& sum : m_sums)
            sum.block(m_pending);
        m_pending = 0;
    }
}

void KeyedHash::add(std::string_view bytes)
{
    for (const char c : bytes)
        addByte(static_cast<unsigned char>(c));
}

void KeyedHash::addSpaces(std::uint64_t count)
{
    for (; count > 0; --count)
        addByte(' ');
}

KeyedHash::Value KeyedHash::value() const
{
    Value result {};
    for (int i = 0; i < 2; ++i) {
        Sip sum = m_sums[i];
        sum.block(m_pending | (m_length << 56));
        sum.v2 ^= 0xFF;
        for (int r = 0; r < 4; ++r)
            sum.round();
        result[i] = sum.v0 ^ sum.v1 ^ sum.v2 ^ sum.v3;
    }
    return result;
}

} // namespace tessely
