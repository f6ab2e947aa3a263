#include "CountContacts.h"

#include "ContactReader.h"

namespace tessely
{

std::uint64_t CountContacts(FileSystem& fs, JobHost& host, const std::string& source, std::uint64_t enough)
{
    if (!fs.fileExists(source))
        return 0;
    LineReader lines(fs.openRead(source));
    ContactReader reader(lines, &host);
    ContactPiece piece;
    while (reader.contacts() < enough && reader.next(piece)) { }
    return reader.contacts();
}

} // namespace tessely
