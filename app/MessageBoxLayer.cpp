#include "MessageBoxLayer.h"

namespace tessely
{

void QtMessageBoxLayer::show(QWidget* parent, const Message& message)
{
    QMessageBox box(parent);
    setUpMessageBox(box, message);
    box.exec();
}

QMessageBox::Icon iconFor(MessageIcon icon)
{
    return icon == MessageIcon::Error ? QMessageBox::Critical : QMessageBox::Information;
}

QString displayText(const Message& message)
{
    return QString::fromStdString(message.text("\n"));
}

void setUpMessageBox(QMessageBox& box, const Message& message)
{
    box.setWindowTitle(QString::fromStdString(message.title));
    // Plain text always: a path with "<" in it must read as written, never as markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(displayText(message));
    box.setIcon(iconFor(message.icon));
    box.setStandardButtons(QMessageBox::Ok);
    box.setDefaultButton(QMessageBox::Ok);
}

} // namespace tessely
