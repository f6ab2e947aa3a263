#ifndef TESSELY_APP_SOURCEDIALOG_H
#define TESSELY_APP_SOURCEDIALOG_H

#include "controller/Operation.h"

#include <QString>
#include <QStringList>

#include <string>

class QFileDialog;
class QWidget;

namespace tessely
{

/// The main window's file-open dialog `cdcSource`: shows the dialog set up for one job and gives the
/// selection text.
class SourceDialog
{
public:
    virtual ~SourceDialog() = default;
    /// Shows the dialog modally over `parent`. Gives the full path of one file; for several files the
    /// folder, NUL, name, NUL, name...; an empty text when the user cancelled.
    virtual std::string showOpen(QWidget* parent, const DialogSetup& setup) = 0;
};

/// `cdcSource` drawn by QFileDialog. Remembers the folder last chosen for as long as the program runs.
class QtSourceDialog : public SourceDialog
{
public:
    std::string showOpen(QWidget* parent, const DialogSetup& setup) override;

private:
    QString m_lastFolder;
};

/// Qt's form of a filter given as description|patterns|description|patterns...: the entries joined by
/// ";;", each a description with its patterns in parentheses ("vCard File (*.vcf);;All Files (*.*)").
QString qtFilterFrom(const std::string& filter);

/// Sets up `dialog` for `setup`: title, single- or multi-file mode, filter. No mode demands that a single
/// file exists, so a typed name of a missing file is handed on like any other.
void setUpSourceDialog(QFileDialog& dialog, const DialogSetup& setup);

/// The selection text for the absolute paths a dialog gave: the one path itself; for several files
/// their folder, NUL, name, NUL, name...; empty for none. Names keep the bytes of the file system.
std::string selectionText(const QStringList& files);

} // namespace tessely

#endif
