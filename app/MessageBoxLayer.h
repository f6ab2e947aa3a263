#ifndef TESSELY_APP_MESSAGEBOXLAYER_H
#define TESSELY_APP_MESSAGEBOXLAYER_H

#include "controller/Operation.h"

#include <QMessageBox>
#include <QString>

#include <string>

class QWidget;

namespace tessely
{

/// The message box through which the main window tells the user how a job ended, drawn by QMessageBox.
class QtMessageBoxLayer
{
public:
    /// Shows `message` modally over `parent` with an OK button and returns when the user has closed it.
    void show(QWidget* parent, const Message& message);
};

/// The box's icon for a message's icon.
QMessageBox::Icon iconFor(MessageIcon icon);

/// A message's text as the box shows it: each line on a line of its own.
QString displayText(const Message& message);

/// Sets up `box` for `message`: title, plain text, icon and one OK button.
void setUpMessageBox(QMessageBox& box, const Message& message);

} // namespace tessely

#endif
