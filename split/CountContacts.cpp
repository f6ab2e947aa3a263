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
    LinePiece piece;
    LongLineTest longLine;
    while (reader.next(piece)) {
        if (piece.first && piece.last) {
            count += isOpeningLine(piece.text) ? 1 : 0;
            continue;
        }
        longLine.feed(piece.text, piece.first);
        if (piece.last && longLine.opening())
            ++count;
    }
    return count;
}

} // namespace tessely
