#ifndef TESSELY_UI_FRMGROUPSDESCRIPTION_H
#define TESSELY_UI_FRMGROUPSDESCRIPTION_H

#include "WindowDescription.h"
#include "controller/Operation.h"

#include <optional>
#include <string>
#include <string_view>

namespace tessely
{

/// The dialog `frmGroups` that asks how a split into groups fills its files: the contacts per file
/// (`txtPerFile`, 100 at start) and, optionally, the largest file size in MB (`txtMaxSize`), with OK and
/// Cancel.
const WindowDescription& frmGroupsDescription();

/// What the dialog's boxes say: the groups, or why they cannot be taken and which box to fix.
struct GroupsAnswer {
    std::optional<ContactGroups> groups;
    /// The message to show when the boxes cannot be taken.
    Message problem;
    /// The object name of the box to fix.
    std::string field;
};

/// Reads the dialog's boxes as typed: the contacts per file, a whole number from 1 to 1,000,000, and the
/// largest size in MB (units of 1024 KB), a number that may have a fraction (a point or a comma), at
/// least 1 KB, or empty for no size limit. Spaces around either are ignored.
GroupsAnswer readGroupsDialog(std::string_view perFile, std::string_view largestMegabytes);

} // namespace tessely

#endif
