#include "Operation.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <limits>
#include <new>

namespace tessely
{
namespace
{

/// Lines outside any contact are not copied; saying so lets the user find a contact whose opening line
/// did not read as one.
void tellSkippedLines(Message& message, std::uint64_t skippedLines)
{
    if (skippedLines == 1)
        message.lines.emplace_back("1 line outside any contact was not copied.");
    else if (skippedLines > 1)
        message.lines.push_back(std::to_string(skippedLines) + " lines outside any contact were not copied.");
}

/// "1 file", "2 files": a count with its noun in the singular or the plural.
std::string counted(std::uint64_t count, const char* singular, const char* plural)
{
    return std::to_string(count) + " " + (count == 1 ? singular : plural);
}

} // namespace

const std::vector<FileFilter>& sourceFilters()
{
    static const std::vector<FileFilter> filters = {
        { "vCard File (*.vcf)", { "*.vcf" } },
        { "All Files (*.*)", { "*.*" } },
    };
    return filters;
}

bool matchesFilter(const FileFilter& filter, std::string_view name)
{
    const auto sameLetter = [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    };
    for (const std::string& pattern : filter.patterns) {
        // The patterns are "*" and an ending: "*.*" takes every name, "*.vcf" the names that end so.
        if (pattern == "*.*" || pattern == "*")
            return true;
        const std::string_view ending = std::string_view(pattern).substr(pattern.rfind('*') + 1);
        if (name.size() >= ending.size()
            && std::equal(
                ending.begin(), ending.end(), name.end() - static_cast<std::ptrdiff_t>(ending.size()), sameLetter))
            return true;
    }
    return false;
}

DialogSetup dialogSetupFor(OperationKind kind)
{
    switch (kind) {
    case OperationKind::Split:
    case OperationKind::SplitGroups:
        return { "Select a multiple-contact vCard file to split", SelectionMode::OneFile, sourceFilters() };
    case OperationKind::Export:
    case OperationKind::ExportWorkbook:
        return { "Select a multiple-contact vCard file to export", SelectionMode::OneFile, sourceFilters() };
    case OperationKind::Recombine:
        return { "Multi-select all the vCard files to recombine (Shift or Ctrl to select multiple)",
            SelectionMode::SeveralFiles,
            sourceFilters() };
    }
    return {};
}

std::string Message::text(std::string_view lineBreak) const
{
    std::string joined;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            joined += lineBreak;
        joined += lines[i];
    }
    return joined;
}

Message nothingToProcessMessage(OperationKind kind)
{
    if (kind == OperationKind::Recombine)
        return { "Nothing to Process",
            { "The chosen selection does not contain multiple files to process.",
                "Please choose multiple files for combining into a single vCard file." },
            MessageIcon::Error };
    return { "Nothing to Process",
        { "The selected vCard does not contain multiple contacts.", "Please choose a multiple-entry vCard file." },
        MessageIcon::Error };
}

Message successMessage(OperationKind kind,
    std::uint64_t count,
    const std::string& location,
    std::uint64_t skippedLines,
    std::uint64_t shortenedCells)
{
    const std::string number = std::to_string(count);
    Message message;
    switch (kind) {
    case OperationKind::Split:
    case OperationKind::SplitGroups:
        message = { "vCard Split Successfull",
            { "vCard has been split successfully.", number + " files have been created in...", "", location },
            MessageIcon::Information };
        break;
    case OperationKind::Export:
    case OperationKind::ExportWorkbook:
        message = { "vCard Export Successfull",
            { "vCard has been exported successfully.", number + " cards have been exported into...", "", location },
            MessageIcon::Information };
        break;
    case OperationKind::Recombine:
        message = { "vCard Recombine Successfull",
            { "vCard files have been successfully recombined.",
                number + " total files have been combined into",
                "\"" + location + "\"" },
            MessageIcon::Information };
        break;
    }
    tellSkippedLines(message, skippedLines);
    // A shortened cell has lost its end; the CSV holds it whole.
    if (shortenedCells == 1)
        message.lines.emplace_back("1 cell was too long for a workbook and was shortened.");
    else if (shortenedCells > 1)
        message.lines.push_back(
            std::to_string(shortenedCells) + " cells were too long for a workbook and were shortened.");
    return message;
}

Message groupsSuccessMessage(const GroupsResult& result, const ContactGroups& groups)
{
    const bool one = result.files == 1;
    const std::string most
        = groups.perFile != 0 ? counted(groups.perFile, "contact", "contacts") : sizeText(groups.largestBytes);
    Message message { "vCard Split Successfull",
        { "vCard has been split successfully.",
            counted(result.files, "file", "files") + " of at most " + most + (one ? " has" : " have")
                + " been created in...",
            "",
            result.location },
        MessageIcon::Information };
    if (result.overSize != 0)
        message.lines.push_back(counted(result.overSize, "file", "files") + (result.overSize == 1 ? " is" : " are")
            + " larger than " + sizeText(groups.largestBytes) + " because a single contact is larger than that.");
    tellSkippedLines(message, result.skippedLines);
    return message;
}

std::string sizeText(std::uint64_t bytes)
{
    static const char* const units[] = { "GB", "MB", "KB" };
    std::uint64_t unit = std::uint64_t { 1 } << 30;
    for (const char* name : units) {
        // Shown in the unit when two decimals give it exactly: 2.5 MB, 1.25 KB.
        if (bytes >= unit && bytes <= std::numeric_limits<std::uint64_t>::max() / 100 && bytes * 100 % unit == 0) {
            const std::uint64_t hundredths = bytes * 100 / unit;
            std::string text = std::to_string(hundredths / 100);
            if (hundredths % 100 != 0) {
                const std::uint64_t fraction = hundredths % 100;
                text += fraction % 10 == 0 ? "." + std::to_string(fraction / 10)
                                           : (fraction < 10 ? ".0" : ".") + std::to_string(fraction);
            }
            return text + " " + name;
        }
        unit >>= 10;
    }
    return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
}

std::optional<std::uint64_t> parseSize(std::string_view text)
{
    std::uint64_t unit = 1;
    if (!text.empty()) {
        switch (text.back()) {
        case 'K':
        case 'k':
            unit = std::uint64_t { 1 } << 10;
            break;
        case 'M':
        case 'm':
            unit = std::uint64_t { 1 } << 20;
            break;
        case 'G':
        case 'g':
            unit = std::uint64_t { 1 } << 30;
            break;
        default:
            break;
        }
        if (unit != 1)
            text.remove_suffix(1);
    }
    const std::size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction = point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    // Digits only: no sign, no spaces, at least one digit before the point, and a fraction only with a unit.
    const auto digits = [](std::string_view part) {
        return std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (whole.empty() || !digits(whole) || !digits(fraction) || (point != std::string_view::npos && fraction.empty())
        || (point != std::string_view::npos && unit == 1))
        return std::nullopt;
    std::uint64_t units = 0;
    if (std::from_chars(whole.data(), whole.data() + whole.size(), units).ec != std::errc()
        || units > std::numeric_limits<std::uint64_t>::max() / unit)
        return std::nullopt;
    std::uint64_t bytes = units * unit;
    // The fraction of a unit, to the byte below; nine digits tell a byte of a gigabyte, and keep the product
    // within 64 bits.
    std::uint64_t part = 0;
    std::uint64_t scale = 1;
    for (const char digit : fraction.substr(0, 9)) {
        part = part * 10 + static_cast<std::uint64_t>(digit - '0');
        scale *= 10;
    }
    const std::uint64_t extra = part * unit / scale;
    if (bytes > std::numeric_limits<std::uint64_t>::max() - extra)
        return std::nullopt;
    return bytes + extra;
}

Message notVCardFilesMessage(const std::vector<std::string>& names)
{
    Message message { "Nothing to Process",
        { "Only vCard files (*.vcf) can be split or recombined; nothing was started.", "Not a vCard file:" },
        MessageIcon::Error };
    // A few names tell the user which files they are; a thousand would not fit the box.
    constexpr std::size_t shown = 5;
    for (std::size_t i = 0; i < names.size() && i < shown; ++i)
        message.lines.push_back(names[i]);
    if (names.size() > shown)
        message.lines.push_back("and " + std::to_string(names.size() - shown) + " more");
    return message;
}

Message severalFoldersMessage()
{
    return { "Nothing to Process",
        { "The chosen files are not all in one folder.",
            "Please choose files of one folder for combining into a single vCard file." },
        MessageIcon::Error };
}

Message failureMessage(OperationKind kind)
{
    switch (kind) {
    case OperationKind::Split:
    case OperationKind::SplitGroups:
        return { "vCard Split Failed", { "vCard has not been successfully split." }, MessageIcon::Error };
    case OperationKind::Export:
    case OperationKind::ExportWorkbook:
        return { "vCard Processing Failed", { "vCard has not been successfully exported." }, MessageIcon::Error };
    case OperationKind::Recombine:
        return { "vCard Recombine Failed", { "vCard recombination has not been completed." }, MessageIcon::Error };
    }
    return {};
}

Message failureMessage(OperationKind kind, const std::exception& error)
{
    Message message = failureMessage(kind);
    message.lines.emplace_back();
    // The library's own word for running out of memory means nothing to a user.
    if (dynamic_cast<const std::bad_alloc*>(&error) != nullptr)
        message.lines.emplace_back("There is not enough memory.");
    else
        message.lines.emplace_back(error.what());
    return message;
}

} // namespace tessely
