#include "JobPacing.h"

#include "platform/JobHost.h"

namespace tessely
{

void JobPacing::start()
{
    m_last.reset();
}

bool JobPacing::due()
{
    const auto now = std::chrono::steady_clock::now();
    if (m_last && now - *m_last < m_interval)
        return false;
    m_last = now;
    return true;
}

void JobPacing::setStatus(std::uint64_t number)
{
    m_number = number;
    m_captionTaken = false;
}

std::optional<std::string> JobPacing::takeCaption()
{
    if (m_captionTaken)
        return std::nullopt;
    m_captionTaken = true;
    return statusCaption(m_number);
}

} // namespace tessely
