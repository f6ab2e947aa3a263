#include "ContactFiles.h"

#include <algorithm>
#include <charconv>

namespace tessely
{

void appendContactNumber(std::string& text, std::uint64_t number)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    const auto length = static_cast<std::size_t>(end - digits);
    if (length < 4)
        text.append(4 - length, '0');
    text.append(digits, length);
}

JobResult splitEachContact(OutputBesideSource& job, JobHost& host, ContactFiles& files)
{
    JobResult result;
    result.location = job.location;
    LineReader lines(std::move(job.source));
    ContactReader reader(lines, &host);
    StatusGuard status(host);
    std::uint64_t number = 1;
    ContactPiece piece;
    while (!result.stopped && reader.next(piece)) {
        switch (piece.role) {
        case LineRole::Outside:
        case LineRole::Opening:
            // Progress once for every line read outside a contact.
            if (piece.first) {
                host.setStatus(number);
                result.stopped = !host.yield();
            }
            if (!result.stopped && piece.role == LineRole::Opening && piece.last) {
                files.start(number);
                files.add("BEGIN:VCARD", true);
            }
            break;
        case LineRole::Property:
        case LineRole::Nested:
            // A numbered split or a split into groups reads no line: a call for each would cost it a tenth.
            if (files.readsLines())
                files.read(piece);
            files.add(piece.text, piece.last);
            break;
        case LineRole::Closing: {
            if (!piece.last)
                break;
            // The contact's closing line is written as "END:VCARD"; a contact that the source leaves open
            // is closed as if its closing lines had been there, one for each card still open.
            for (std::uint64_t card = 0; card < std::max<std::uint64_t>(piece.openCards, 1); ++card)
                files.add("END:VCARD", true);
            const bool catchUp = files.finish();
            ++number;
            result.stopped = catchUp && !host.yield();
            break;
        }
        }
    }
    result.stopped = result.stopped || reader.stopped();
    result.count = number - 1;
    result.skippedLines = reader.skippedLines();
    return result;
}

} // namespace tessely
