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
    // Progress once for every line read outside a contact, the opening line included.
    const auto lineOutside = [&] {
        host.setStatus(number);
        result.stopped = !host.yield();
    };
    const auto finish = [&] {
        const bool catchUp = files.finish();
        ++number;
        result.stopped = catchUp && !host.yield();
    };
    ContactPiece piece;
    LineRun run;
    while (!result.stopped) {
        // Lines that nothing reads come many at once, as they are: each line alone would cost more than its copy.
        if (!files.readsLines() && reader.nextLines(run)) {
            if (run.opens) {
                lineOutside();
                if (result.stopped)
                    break;
                files.start(number);
            }
            files.add(run.text, false);
            if (run.closes)
                finish();
            continue;
        }
        if (!reader.next(piece))
            break;
        switch (piece.role) {
        case LineRole::Outside:
        case LineRole::Opening:
            if (piece.first)
                lineOutside();
            if (!result.stopped && piece.role == LineRole::Opening && piece.last) {
                files.start(number);
                files.add("BEGIN:VCARD", true);
            }
            break;
        case LineRole::Property:
        case LineRole::Nested:
            if (files.readsLines())
                files.read(piece);
            files.add(piece.text, piece.last);
            break;
        case LineRole::Closing:
            if (!piece.last)
                break;
            // The contact's closing line is written as "END:VCARD"; a contact that the source leaves open
            // is closed as if its closing lines had been there, one for each card still open.
            for (std::uint64_t card = 0; card < std::max<std::uint64_t>(piece.openCards, 1); ++card)
                files.add("END:VCARD", true);
            finish();
            break;
        }
    }
    result.stopped = result.stopped || reader.stopped();
    result.count = number - 1;
    result.skippedLines = reader.skippedLines();
    return result;
}

} // namespace tessely
