#include "CountContacts.h"

#include "platform/LineReader.h"
#include "platform/Text.h"

namespace tessely
{

bool readOutsideContact(LineReader& reader, std::uint64_t& skipped)
{
    LinePiece piece;
    if (!reader.next(piece))
        return false;
    bool opening = false;
    bool blank = false;
    if (piece.last) {
        opening = isOpeningLine(piece.text);
        blank = !opening && isBlankLine(piece.text);
    } else {
        LongLineTest line;
        line.feed(piece.text, true);
        while (!piece.last && reader.next(piece))
            line.feed(piece.text, false);
        opening = line.opening();
        blank = line.blank();
    }
    if (!opening && !blank)
        ++skipped;
    return opening;
}

std::uint64_t CountContacts(FileSystem& fs, const std::string& source, std::uint64_t enough)
{
    if (!fs.fileExists(source))
        return 0;
    LineReader reader(fs.openRead(source));
    std::uint64_t count = 0;
    std::uint64_t skipped = 0;
    while (count < enough && !reader.atEnd())
        count += readOutsideContact(reader, skipped) ? 1 : 0;
    return count;
}

} // namespace tessely
