#include "MessageBoxLayer.h"

namespace tessely
{

void QtMessageBoxLayer::show(QWidget* parent, const Message& message)
{
    QMessageBox box(parent);
    setUpMessageBox(box, message);
    box.exec();
}

QMessageBox::Icon iconFor(MessageStyle style)
{
    return style == MessageStyle::Error ? QMessageBox::Critical : QMessageBox::Information;
}

QString displayText(const std::string& text)
{
    QString shown = QString::fromStdString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}

void setUpMessageBox(QMessageBox& box, const Message& message)
{
    box.setWindowTitle(QString::fromStdString(message.title));
    // Plain text always: a path with "<" in it must read as written, never as markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(displayText(message.text));
    box.setIcon(iconFor(message.style));
    box.setStandardButtons(QMessageBox::Ok);
    box.setDefaultButton(QMessageBox::Ok);
}

} // namespace tessely
