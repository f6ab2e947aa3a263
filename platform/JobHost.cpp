#include "JobHost.h"

#include <ctime>

namespace tessely
{

std::string statusCaption(std::uint64_t number)
{
    return "Processing " + std::to_string(number);
}

Date JobHost::today()
{
    return localToday();
}

Date localToday()
{
    const std::time_t now = std::time(nullptr);
    std::tm local {};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return Date { local.tm_year + 1900, local.tm_mon + 1, local.tm_mday };
}

} // namespace tessely
