#include "Twips.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QString>
#include <QWidget>

namespace tessely
{

int twipsToPixels(int twips, int dotsPerInch)
{
    const long long scaled = static_cast<long long>(twips) * dotsPerInch;
    const long long half = twipsPerInch / 2;
    return static_cast<int>(scaled >= 0 ? (scaled + half) / twipsPerInch : -((-scaled + half) / twipsPerInch));
}

QRect twipsRect(const QWidget& widget, int left, int top, int width, int height)
{
    const int dpiX = widget.logicalDpiX();
    const int dpiY = widget.logicalDpiY();
    return {
        twipsToPixels(left, dpiX), twipsToPixels(top, dpiY), twipsToPixels(width, dpiX), twipsToPixels(height, dpiY)
    };
}

void placeInTwips(QWidget& widget, int left, int top, int width, int height)
{
    widget.setGeometry(twipsRect(widget, left, top, width, height));
}

void setUpFixedWindow(QWidget& window, Qt::WindowType kind, const QString& icon)
{
    window.setWindowFlags(kind | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
        | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    QIcon images;
    images.addFile(QStringLiteral(":/artwork/") + icon + QStringLiteral("-16.png"), QSize(16, 16));
    images.addFile(QStringLiteral(":/artwork/") + icon + QStringLiteral("-32.png"), QSize(32, 32));
    window.setWindowIcon(images);
    // The system's interface font family at the size the layout was drawn for, so every caption fits its box.
    QFont font = QApplication::font();
    font.setPointSizeF(8.25);
    window.setFont(font);
}

} // namespace tessely
