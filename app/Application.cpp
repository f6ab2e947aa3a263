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
    const QString artwork = QStringLiteral(":/artwork/") + qtText(frmAboutDescription().icon);
    QIcon icon;
    icon.addFile(artwork + QStringLiteral("-16.png"), QSize(16, 16));
    icon.addFile(artwork + QStringLiteral("-32.png"), QSize(32, 32));
    app.setWindowIcon(icon);
}

} // namespace tessely
