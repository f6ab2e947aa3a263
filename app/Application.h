#ifndef TESSELY_APP_APPLICATION_H
#define TESSELY_APP_APPLICATION_H

class QApplication;

namespace tessely
{

/// Gives the program its name and icon (the About window's icon).
void setUpApplication(QApplication& app);

} // namespace tessely

#endif
