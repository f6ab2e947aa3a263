#include "Application.h"

#include "WindowDrawing.h"
#include "platform/Version.h"
#include "ui/frmAboutDescription.h"

#include <QApplication>
#include <QIcon>

namespace tessely
{

void setUpApplication(QApplication& app)
{
    QApplication::setApplicationName(QStringLiteral("Tessely"));
    QApplication::setApplicationVersion(QString::fromLatin1(versionText));
    app.setWindowIcon(artworkIcon(frmAboutDescription().icon));
}

} // namespace tessely
