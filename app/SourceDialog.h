#ifndef TESSELY_APP_SOURCEDIALOG_H
#define TESSELY_APP_SOURCEDIALOG_H

#include "controller/Operation.h"

#include <QString>
#include <QStringList>

#include <string>
#include <vector>

class QFileDialog;
class QWidget;

namespace tessely
{

/// The main window's file-open dialog `cdcSource`, drawn by QFileDialog. Remembers the folder last chosen for
/// as long as the program runs.
class QtSourceDialog
{
public:
    /// Shows the dialog set up for one job modally over `parent` and gives the files chosen; an empty
    /// selection when the user cancelled.
    Selection showOpen(QWidget* parent, const DialogSetup& setup);

private:
    QString m_lastFolder;
};

/// Qt's form of the file-type list: the entries joined by ";;", each a description with its patterns in
/// parentheses ("vCard File (*.vcf);;All Files (*.*)").
QString qtFilterFrom(const std::vector<FileFilter>& filters);

/// Sets up `dialog` for `setup`: title, single- or multi-file mode, filter. No mode demands that a single
/// file exists, so a typed name of a missing file is handed on like any other.
void setUpSourceDialog(QFileDialog& dialog, const DialogSetup& setup);

/// A path as Qt gives it, in the bytes of the file system.
std::string fileSystemPath(const QString& path);

/// The selection for the absolute paths a dialog gave: their folder and their names, which keep the bytes of
/// the file system; empty for none.
Selection selectionOf(const QStringList& files);

} // namespace tessely

#endif
