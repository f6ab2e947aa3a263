#include "frmMainDescription.h"

namespace tessely
{

namespace
{

WindowDescription describeMain()
{
    WindowDescription window;
    window.name = "frmMain";
    window.caption = "Tessely - Main Window";
    window.clientWidth = 4560;
    window.clientHeight = 2850;
    window.icon = "main";

    const ControlDescription frame
        = describeControl("fraNaming", ControlKind::Frame, "vCard Naming Options", { 473, 240, 3615, 1575 }, 100);

    ControlDescription numbered = describeControl(
        "optNaming", ControlKind::OptionButton, "Name vCards Numerically", { 360, 480, 3015, 195 }, 101);
    numbered.element = 0;
    numbered.parent = "fraNaming";
    numbered.tooltip = "Every vCard file will be named per its index without reguard to contents";
    numbered.selectedAtStart = true;

    // The caption starts with a space, as the window has always shown it.
    ControlDescription fromContact = describeControl(
        "optNaming", ControlKind::OptionButton, " Name vCards from Contact Info", { 360, 960, 3015, 195 }, 102);
    fromContact.element = 1;
    fromContact.parent = "fraNaming";
    fromContact.tooltip = "vCard files will be named per the first valid field in the following sequence: "
                          "Formatted Name, Name, Title, Email";

    ControlDescription run = describeControl(
        "cmdRun", ControlKind::CommandButton, "Split vCard into Files", { 1313, 2040, 1935, 495 }, 103);
    run.tooltip = "Split a multi-contact vCard into separate vCard files";
    run.command = WindowCommand::Run;

    // Hidden while no job runs; a job replaces the caption with its count, which may grow to any number of
    // digits: the label widens leftwards to show it whole.
    ControlDescription status
        = describeControl("lblStatus", ControlKind::Label, "Processing...", { 3000, 2640, 1410, 195 }, 104);
    status.alignment = TextAlignment::Right;
    status.fit = ContentFit::GrowLeft;
    status.visibleAtStart = false;

    window.controls = { frame, numbered, fromContact, run, status };

    window.menu = {
        { "mnuFile", "&File", 0, WindowCommand::OpenMenu, 200 },
        { "mnuRun", "&Run Now", 1, WindowCommand::Run, 201 },
        { "mnuSep0", "-", 1, WindowCommand::None, 202 },
        { "mnuExit", "E&xit", 1, WindowCommand::Exit, 203 },
        { "mnuTools", "&Tools", 0, WindowCommand::OpenMenu, 210 },
        { "mnuReCombine", "Re&Combine vCards into Single", 1, WindowCommand::ReCombine, 211 },
        { "mnuExport", "vCard &Raw Format to CSV", 1, WindowCommand::Export, 212 },
        { "mnuExportWorkbook",
            "vCard Raw Format to Excel &Workbook",
            1,
            WindowCommand::ExportWorkbook,
            213,
            "Export every raw field into an Excel workbook, each value kept as text as written" },
        { "mnuSplitGroups",
            "Split vCard into &Groups...",
            1,
            WindowCommand::SplitGroups,
            214,
            "Split a multi-contact vCard into files of several contacts each, up to a number or a size" },
        { "mnuHelp", "&Help", 0, WindowCommand::OpenMenu, 220 },
        { "mnuAbout", "&About", 1, WindowCommand::About, 221 },
    };

    window.tabOrder = { "cmdRun", "optNaming_0", "optNaming_1" };
    window.focus = "cmdRun";
    return window;
}

} // namespace

const WindowDescription& frmMainDescription()
{
    static const WindowDescription window = describeMain();
    return window;
}

} // namespace tessely
