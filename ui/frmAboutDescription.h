#ifndef TESSELY_UI_FRMABOUTDESCRIPTION_H
#define TESSELY_UI_FRMABOUTDESCRIPTION_H

#include "WindowDescription.h"

#include <string>

namespace tessely
{

/// The About window `frmAbout`: picture, version, maker, how to reach them, what the program does, and OK.
const WindowDescription& frmAboutDescription();

/// "Version " and the program's major, minor and revision numbers: "Version 3.2.2". `lblVersion` shows it
/// from the moment the window has loaded.
std::string versionCaption();

} // namespace tessely

#endif
