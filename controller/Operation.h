#ifndef TESSELY_CONTROLLER_OPERATION_H
#define TESSELY_CONTROLLER_OPERATION_H

#include <cstdint>
#include <exception>
#include <string>

namespace tessely
{

/// The job that a command starts.
enum class OperationKind { Split = 0, Export = 1, Recombine = 2 };

/// Dialog flag: a plain single-file selection.
inline constexpr unsigned singleFileFlags = 1024;
/// Dialog flags: explorer-style selection of several files, reported as folder, NUL, name, NUL, name...
inline constexpr unsigned multiFileFlags = 524800;
/// The filter of the open dialog, as pairs of description and pattern separated by "|".
inline constexpr const char* sourceFilter = "vCard File (*.vcf)|*.vcf|All Files (*.*)|*.*";

/// How the open dialog is set up for one kind of job.
struct DialogSetup {
    std::string title;
    unsigned flags = singleFileFlags;
    std::string filter = sourceFilter;

    bool multiSelect() const
    {
        return (flags & 0x200u) != 0;
    }
};

/// The open dialog's title, mode and filter for `kind`.
DialogSetup dialogSetupFor(OperationKind kind);

/// The icon of a message box.
enum class MessageStyle { Error = 16, Information = 64 };

/// A message for the user: a title, a text whose lines are joined with CR LF, and a style.
struct Message {
    std::string title;
    std::string text;
    MessageStyle style = MessageStyle::Information;
};

/// "Nothing to Process": the file holds fewer than two contacts (split, export) or the selection fewer
/// than two files (recombine).
Message nothingToProcessMessage(OperationKind kind);
/// The success message of `kind` with the job's count and location.
Message successMessage(OperationKind kind, std::uint64_t count, const std::string& location);
/// The failure message of `kind`, shown when a job gives a count of 0.
Message failureMessage(OperationKind kind);
/// The failure message of `kind` for an error that ended the job early, followed by the error's own text
/// (for a file that could not be read or written: the file and the system's reason).
Message failureMessage(OperationKind kind, const std::exception& error);

} // namespace tessely

#endif
