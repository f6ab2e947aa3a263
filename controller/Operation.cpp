#include "Operation.h"

#include <algorithm>
#include <cctype>
#include <new>

namespace tessely
{

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
    // Lines outside any contact are not copied; saying so lets the user find a contact whose opening line
    // did not read as one.
    if (skippedLines == 1)
        message.lines.emplace_back("1 line outside any contact was not copied.");
    else if (skippedLines > 1)
        message.lines.push_back(std::to_string(skippedLines) + " lines outside any contact were not copied.");
    // A shortened cell has lost its end; the CSV holds it whole.
    if (shortenedCells == 1)
        message.lines.emplace_back("1 cell was too long for a workbook and was shortened.");
    else if (shortenedCells > 1)
        message.lines.push_back(
            std::to_string(shortenedCells) + " cells were too long for a workbook and were shortened.");
    return message;
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
