#include "frmAboutDescription.h"

#include "platform/Version.h"

namespace tessely
{

namespace
{

const char* const company = "Quorvane";
const char* const webAddress = "https://quorvane.example/tessely";
const char* const supportAddress = "support@quorvane.example";

// What the program does, in one paragraph, as the About window has always told it.
const char* const description
    = "The Tessely is a small, inexpensive application created to circumvent the issue of incompatibility when "
      "importing vCard files that contain multiple contacts (such as by many cell phones).  This application will "
      "create individual files for each contact in a multiple vCard file, and save them independently using either "
      "the contact information or named sequentially.  There is also an added tool that will recombine multiple "
      "vCard files back into a single, large vCard file.  Additionally, the application  includes an export "
      "utility to allow a user to easily see all the available fields present in a multi-contact vCard file.  If "
      "any assistance or additional functionality is desired, feel free to contact us at the email address "
      "listed above.";

WindowDescription describeAbout()
{
    WindowDescription window;
    window.name = "frmAbout";
    window.caption = "About Tessely";
    window.clientWidth = 5895;
    window.clientHeight = 5850;
    window.icon = "about";

    // 101 by 75 pixels at 96 dpi, and larger on a denser screen.
    ControlDescription picture = describeControl("Image1", ControlKind::Picture, "picture", { 0, 0, 1515, 1125 }, 300);

    // The design text until the window has loaded; then the version caption.
    ControlDescription version
        = describeControl("lblVersion", ControlKind::Label, "Version", { 3840, 120, 1935, 255 }, 301);
    version.alignment = TextAlignment::Centre;
    version.font = { "MS Sans Serif", 8.25, true };

    ControlDescription maker = describeControl("Label1", ControlKind::Label, company, { 1800, 480, 3630, 345 }, 302);
    maker.font = { "Arial", 12, false };

    // The rule runs from (120, 1200) to (5640, 1200).
    ControlDescription rule = describeControl("Line1", ControlKind::Line, "", { 120, 1200, 5520, 0 }, 303);

    ControlDescription contacts
        = describeControl("lstHeader", ControlKind::ListBox, "", { 1620, 1320, 2655, 615 }, 304);
    contacts.items = { company, webAddress, supportAddress };
    contacts.fit = ContentFit::GrowAround;
    contacts.scrollBarBackground = true;

    ControlDescription text
        = describeControl("RichTextBox1", ControlKind::RichTextBox, description, { 180, 2040, 5535, 3015 }, 305);
    text.font = { "MS Sans Serif", 8.5, false };

    ControlDescription ok = describeControl("cmdOK", ControlKind::CommandButton, "&OK", { 2340, 5160, 1215, 495 }, 306);
    ok.defaultButton = true;
    ok.cancelButton = true;

    window.controls = { picture, version, maker, rule, contacts, text, ok };
    window.tabOrder = { "lstHeader", "cmdOK", "RichTextBox1" };
    window.focus = "lstHeader";
    return window;
}

} // namespace

const WindowDescription& frmAboutDescription()
{
    static const WindowDescription window = describeAbout();
    return window;
}

std::string versionCaption()
{
    return "Version " + std::to_string(versionMajor) + "." + std::to_string(versionMinor) + "."
        + std::to_string(versionRevision);
}

} // namespace tessely
