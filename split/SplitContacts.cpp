#include "SplitContacts.h"

#include "ContactLines.h"
#include "PrepareOutputFolder.h"
#include "platform/LineReader.h"
#include "platform/Text.h"

#include <charconv>

namespace tessely
{

std::string numberedFileName(const std::string& folder, std::uint64_t number)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    const auto length = static_cast<std::size_t>(end - digits);
    std::string path;
    path.reserve(folder.size() + 20 + length);
    path.append(folder);
    path.append("/contact");
    if (length < 4)
        path.append(4 - length, '0');
    path.append(digits, length);
    path.append(".vcf");
    return path;
}

JobResult SplitContacts(FileSystem& fs, JobHost& host, const std::string& source)
{
    JobResult result;
    result.location = PrepareOutputFolder(fs, source);
    LineReader reader(fs.openRead(source));
    StatusGuard status(host);
    ContactLines contact;
    std::uint64_t number = 1;
    std::string_view line;
    while (!reader.atEnd()) {
        host.setStatus(number);
        if (!host.yield()) {
            result.stopped = true;
            break;
        }
        reader.next(line);
        if (!isOpeningLine(line))
            continue;

        // The contact runs to the first line that is exactly "END:VCARD"; a source that ends before one
        // still gives the contact, closed as if that line had been there.
        contact.clear();
        bool closed = false;
        while (!closed && reader.next(line)) {
            contact.append(line);
            closed = line == "END:VCARD";
        }
        if (!closed)
            contact.append("END:VCARD");

        const std::string numbered = numberedFileName(result.location, number);
        const auto image = contact.fileImage();
        auto sink = fs.openWrite(numbered);
        sink->write(image.data(), image.size());
        sink->close();

        if (host.nameFromContact()) {
            // Contact-based names are given by the renaming step.
        }
        ++number;
    }
    result.count = number - 1;
    return result;
}

} // namespace tessely
