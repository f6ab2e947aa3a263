#ifndef TESSELY_UI_FRMMAINDESCRIPTION_H
#define TESSELY_UI_FRMMAINDESCRIPTION_H

#include "WindowDescription.h"

namespace tessely
{

/// The main window `frmMain`: the naming choice in its frame, the split button, the status label, and the
/// File, Tools and Help menus.
const WindowDescription& frmMainDescription();

} // namespace tessely

#endif
