#include "CountContacts.h"

#include "platform/LineReader.h"
#include "platform/Text.h"

namespace tessely
{

std::uint64_t CountContacts(FileSystem& fs, const std::string& source)
{
    if (!fs.fileExists(source))
        return 0;
    LineReader reader(fs.openRead(source));
    std::uint64_t count = 0;
    std::string_view line;
    while (reader.next(line)) {
        if (isOpeningLine(line))
            ++count;
    }
    return count;
}

} // namespace tessely
