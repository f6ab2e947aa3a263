#include "SharedSource.h"

namespace tessely
{

class SharedSource::Reader final : public ByteSource
{
public:
    explicit Reader(SharedSource& shared)
        : m_shared(shared)
    {
    }
    std::size_t read(char* buffer, std::size_t size) override
    {
        if (m_shared.m_position != m_offset)
            m_shared.m_file->seek(m_offset);
        // Until the read succeeds the file's place is not known.
        m_shared.m_position = ~std::uint64_t { 0 };
        const std::size_t got = m_shared.m_file->read(buffer, size);
        m_offset += got;
        m_shared.m_position = m_offset;
        return got;
    }
    void seek(std::uint64_t offset) override
    {
        m_offset = offset;
    }
    Permissions permissions() const override
    {
        return m_shared.m_file->permissions();
    }
    FileIdentity identity() const override
    {
        return m_shared.m_file->identity();
    }

private:
    SharedSource& m_shared;
    std::uint64_t m_offset = 0;
};

SharedSource::SharedSource(std::unique_ptr<ByteSource> file)
    : m_file(std::move(file))
{
}

std::unique_ptr<ByteSource> SharedSource::reader()
{
    return std::make_unique<Reader>(*this);
}

} // namespace tessely
