#ifndef TESSELY_CONTROLLER_OPERATION_H
#define TESSELY_CONTROLLER_OPERATION_H

#include "platform/Selection.h"
#include "split/SplitContacts.h"
#include "split/SplitIntoGroups.h"

#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessely
{

/// The job that a command starts.
/// `ExportWorkbook` writes the export's table as a workbook instead of CSV.
enum class OperationKind { Split = 0, Export = 1, Recombine = 2, ExportWorkbook = 3, SplitGroups = 4 };

/// One job asked for, with everything it needs to run: what to do, on which files, and how.
struct OperationRequest {
    OperationKind kind = OperationKind::Split;
    Selection selection;
    /// How a split names its files; the other jobs leave it alone.
    SplitNaming naming = SplitNaming::Numbered;
    /// How a split into groups fills its files; the other jobs leave it alone.
    ContactGroups groups {};
};

/// How many files the open dialog lets the user choose.
enum class SelectionMode { OneFile, SeveralFiles };

/// One entry of the open dialog's file-type list: a description and the name patterns it shows.
struct FileFilter {
    std::string description;
    std::vector<std::string> patterns;
};

/// The open dialog's file types: vCard files first, all files second.
const std::vector<FileFilter>& sourceFilters();

/// True when a file's name matches one of the patterns of `filter` ("*.vcf"), letter case aside.
bool matchesFilter(const FileFilter& filter, std::string_view name);

/// How the open dialog is set up for one kind of job.
struct DialogSetup {
    std::string title;
    SelectionMode mode = SelectionMode::OneFile;
    std::vector<FileFilter> filters = sourceFilters();
};

/// The open dialog's setup for `kind`.
DialogSetup dialogSetupFor(OperationKind kind);

/// The icon of a message box.
enum class MessageIcon { Error, Information };

/// A message for the user: a title, the lines of its text, and an icon.
struct Message {
    std::string title;
    std::vector<std::string> lines;
    MessageIcon icon = MessageIcon::Information;

    /// The lines joined by `lineBreak`.
    std::string text(std::string_view lineBreak = "\n") const;
};

/// "Nothing to Process": the file holds fewer than two contacts (split, export) or the selection fewer
/// than two files (recombine).
Message nothingToProcessMessage(OperationKind kind);
/// The success message of `kind` with the job's count and location. When the job skipped non-blank lines
/// outside any contact, a line says how many; when it shortened cells too long for a workbook, a last line
/// says how many.
Message successMessage(OperationKind kind,
    std::uint64_t count,
    const std::string& location,
    std::uint64_t skippedLines = 0,
    std::uint64_t shortenedCells = 0);
/// The success message of a split into groups: how many files of at most how many contacts (or bytes) were
/// written, where, how many of them are larger than the largest size, and the lines skipped.
Message groupsSuccessMessage(const GroupsResult& result, const ContactGroups& groups);
/// A size in bytes as the messages show it: "1 KB", "2.5 MB", "3 GB" in units of 1024, or "1500 bytes"
/// when no unit gives it exactly in two decimals.
std::string sizeText(std::uint64_t bytes);
/// A size as the user writes it: a whole number of bytes, or a number followed by K, M or G (either case)
/// for that many units of 1024, which may have a fraction ("2.5M"). Nothing for any other text, or a size
/// too large to count.
std::optional<std::uint64_t> parseSize(std::string_view text);

/// Files handed to the window (dropped on it) that are not vCard files: none of the files is taken. The
/// message names the first few of them.
Message notVCardFilesMessage(const std::vector<std::string>& names);
/// Files to recombine that are not all in one folder: nothing is joined.
Message severalFoldersMessage();
/// The failure message of `kind`, shown when a job gives a count of 0.
Message failureMessage(OperationKind kind);
/// The failure message of `kind` for an error that ended the job early, followed by the error's own text
/// (for a file that could not be read or written: the file and the system's reason).
Message failureMessage(OperationKind kind, const std::exception& error);

} // namespace tessely

#endif
