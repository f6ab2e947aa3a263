#include "Operation.h"

namespace tessely
{

DialogSetup dialogSetupFor(OperationKind kind)
{
    switch (kind) {
    case OperationKind::Split:
        return { "Select a multiple-contact vCard file to split", singleFileFlags, sourceFilter };
    case OperationKind::Export:
        return { "Select a multiple-contact vCard file to export", singleFileFlags, sourceFilter };
    case OperationKind::Recombine:
        return { "Multi-select all the vCard files to recombine (Shift or Ctrl to select multiple)",
            multiFileFlags,
            sourceFilter };
    }
    return {};
}

Message nothingToProcessMessage(OperationKind kind)
{
    if (kind == OperationKind::Recombine)
        return { "Nothing to Process",
            "The chosen selection does not contain multiple files to process.\r\n"
            "Please choose multiple files for combining into a single vCard file.",
            MessageStyle::Error };
    return { "Nothing to Process",
        "The selected vCard does not contain multiple contacts.\r\n"
        "Please choose a multiple-entry vCard file.",
        MessageStyle::Error };
}

Message successMessage(OperationKind kind, std::uint64_t count, const std::string& location)
{
    const std::string number = std::to_string(count);
    switch (kind) {
    case OperationKind::Split:
        return { "vCard Split Successfull",
            "vCard has been split successfully.\r\n" + number + " files have been created in...\r\n\r\n" + location,
            MessageStyle::Information };
    case OperationKind::Export:
        return { "vCard Export Successfull",
            "vCard has been exported successfully.\r\n" + number + " cards have been exported into...\r\n\r\n"
                + location,
            MessageStyle::Information };
    case OperationKind::Recombine:
        return { "vCard Recombine Successfull",
            "vCard files have been successfully recombined.\r\n" + number + " total files have been combined into\r\n\""
                + location + "\"",
            MessageStyle::Information };
    }
    return {};
}

Message failureMessage(OperationKind kind)
{
    switch (kind) {
    case OperationKind::Split:
        return { "vCard Split Failed", "vCard has not been successfully split.", MessageStyle::Error };
    case OperationKind::Export:
        return { "vCard Processing Failed", "vCard has not been successfully exported.", MessageStyle::Error };
    case OperationKind::Recombine:
        return { "vCard Recombine Failed", "vCard recombination has not been completed.", MessageStyle::Error };
    }
    return {};
}

Message failureMessage(OperationKind kind, const std::exception& error)
{
    Message message = failureMessage(kind);
    message.text += "\r\n\r\n";
    message.text += error.what();
    return message;
}

} // namespace tessely
