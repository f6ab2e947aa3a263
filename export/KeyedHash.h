#ifndef TESSELY_EXPORT_KEYEDHASH_H
#define TESSELY_EXPORT_KEYEDHASH_H

#include <array>
#include <cstdint>
#include <string_view>

namespace tessely
{

/// A 128-bit hash of a text, fed in pieces: SipHash-2-4 with its 128-bit output, under a key drawn at random
/// for each job, so no file can be made to give two texts the same hash. Used to tell apart texts too long
/// to hold.
class KeyedHash
{
public:
    using Keys = std::array<std::uint64_t, 2>;
    using Value = std::array<std::uint64_t, 2>;

    /// Keys drawn from the system's random source.
    static Keys randomKeys();

    explicit KeyedHash(const Keys& keys);
    void add(std::string_view bytes);
    Value value() const;

private:
    void round();
    void block(std::uint64_t m);

    std::uint64_t m_v[4];
    std::uint64_t m_pending = 0;
    std::uint64_t m_length = 0;
};

} // namespace tessely

#endif
