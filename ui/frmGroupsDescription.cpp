#include "frmGroupsDescription.h"

#include <algorithm>
#include <charconv>

namespace tessely
{

namespace
{

constexpr std::uint64_t mostPerFile = 1000000;

WindowDescription describeGroups()
{
    WindowDescription window;
    window.name = "frmGroups";
    window.caption = "Split vCard into Groups";
    window.clientWidth = 4800;
    window.clientHeight = 1980;
    window.icon = "main";

    const ControlDescription perFileLabel = describeControl(
        "lblPerFile", ControlKind::Label, "Contacts per file (1 to 1,000,000):", { 240, 300, 3015, 255 }, 400);
    ControlDescription perFile
        = describeControl("txtPerFile", ControlKind::TextBox, "100", { 3360, 240, 1200, 315 }, 401);
    perFile.tooltip = "Every file holds this many contacts; the last one holds the rest";

    const ControlDescription sizeLabel = describeControl(
        "lblMaxSize", ControlKind::Label, "Largest file size in MB (optional):", { 240, 780, 3015, 255 }, 402);
    ControlDescription size = describeControl("txtMaxSize", ControlKind::TextBox, "", { 3360, 720, 1200, 315 }, 403);
    size.tooltip = "A file closes before a contact would take it past this size; empty for no limit";

    ControlDescription ok = describeControl("cmdOK", ControlKind::CommandButton, "OK", { 1133, 1320, 1215, 435 }, 404);
    ok.defaultButton = true;
    ControlDescription cancel
        = describeControl("cmdCancel", ControlKind::CommandButton, "Cancel", { 2453, 1320, 1215, 435 }, 405);
    cancel.cancelButton = true;

    window.controls = { perFileLabel, perFile, sizeLabel, size, ok, cancel };
    window.tabOrder = { "txtPerFile", "txtMaxSize", "cmdOK", "cmdCancel" };
    window.focus = "txtPerFile";
    return window;
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

GroupsAnswer refused(const char* problem, const char* field)
{
    return { std::nullopt, { "Split vCard into Groups", { problem }, MessageIcon::Error }, field };
}

} // namespace

const WindowDescription& frmGroupsDescription()
{
    static const WindowDescription window = describeGroups();
    return window;
}

GroupsAnswer readGroupsDialog(std::string_view perFile, std::string_view largestMegabytes)
{
    ContactGroups groups;
    perFile = trimmed(perFile);
    const auto end = perFile.data() + perFile.size();
    const auto read = std::from_chars(perFile.data(), end, groups.perFile);
    if (perFile.empty() || read.ec != std::errc() || read.ptr != end || groups.perFile < 1
        || groups.perFile > mostPerFile)
        return refused("Contacts per file must be a whole number from 1 to 1,000,000.", "txtPerFile");

    std::string size(trimmed(largestMegabytes));
    if (!size.empty()) {
        // A comma is a decimal point where the user writes numbers so.
        std::replace(size.begin(), size.end(), ',', '.');
        const std::optional<std::uint64_t> bytes = size.back() == '.' ? std::nullopt : parseSize(size + "M");
        if (!bytes || *bytes < 1024)
            return refused("The largest file size must be a number of megabytes (such as 2.5) of at least 0.001, "
                           "or empty for no limit.",
                "txtMaxSize");
        groups.largestBytes = *bytes;
    }
    return { groups, {}, {} };
}

} // namespace tessely
