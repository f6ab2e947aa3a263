#include "Application.h"

#include "platform/Version.h"

#include <QApplication>
#include <QIcon>

namespace tessely
{

void setUpApplication(QApplication& app)
{
    QApplication::setApplicationName(QStringLiteral("Tessely"));
    QApplication::setApplicationVersion(QString::fromLatin1(versionText));
    QIcon icon;
    icon.addFile(QStringLiteral(":/artwork/about-16.png"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/artwork/about-32.png"), QSize(32, 32));
    app.setWindowIcon(icon);
}

} // namespace tessely
