#ifndef TESSELY_APP_FRMABOUT_H
#define TESSELY_APP_FRMABOUT_H

#include <QDialog>

class QFrame;
class QLabel;
class QListWidget;
class QPushButton;
class QTextEdit;

namespace tessely
{

/// The About window: version, maker, how to reach them and what the program does. Opened modally from
/// Help > About and discarded when closed, so each opening builds it anew.
class frmAbout : public QDialog
{
    Q_OBJECT

public:
    explicit frmAbout(QWidget* parent = nullptr);

    QLabel* Image1 = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* Label1 = nullptr;
    QFrame* Line1 = nullptr;
    QListWidget* lstHeader = nullptr;
    QTextEdit* RichTextBox1 = nullptr;
    QPushButton* cmdOK = nullptr;

public slots:
    /// Sets the version caption.
    void Form_Load();
    /// Closes the window.
    void cmdOK_Click();
};

} // namespace tessely

#endif
