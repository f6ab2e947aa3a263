#include "SourceDialog.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>

namespace tessely
{

Selection QtSourceDialog::showOpen(QWidget* parent, const DialogSetup& setup)
{
    QFileDialog dialog(parent);
    setUpSourceDialog(dialog, setup);
    if (!m_lastFolder.isEmpty())
        dialog.setDirectory(m_lastFolder);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    m_lastFolder = dialog.directory().absolutePath();
    return selectionOf(dialog.selectedFiles());
}

QString qtFilterFrom(const std::vector<FileFilter>& filters)
{
    QStringList entries;
    for (const FileFilter& filter : filters) {
        const QString description = QString::fromStdString(filter.description);
        QStringList patterns;
        for (const std::string& pattern : filter.patterns)
            patterns << QString::fromStdString(pattern);
        // Qt takes the patterns from the parentheses at the end of an entry; a description that already
        // shows them is kept as it is.
        if (description.endsWith(QLatin1Char(')')) && description.contains(QLatin1Char('(')))
            entries << description;
        else
            entries << description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return entries.join(QStringLiteral(";;"));
}

void setUpSourceDialog(QFileDialog& dialog, const DialogSetup& setup)
{
    dialog.setWindowTitle(QString::fromStdString(setup.title));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // Qt's own dialog looks and behaves the same on every desktop: it accepts a typed name of a file that
    // does not exist in single-file mode, which the jobs then answer with "Nothing to Process".
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setFileMode(setup.mode == SelectionMode::SeveralFiles ? QFileDialog::ExistingFiles : QFileDialog::AnyFile);
    dialog.setNameFilter(qtFilterFrom(setup.filters));
}

std::string fileSystemPath(const QString& path)
{
    const QByteArray bytes = QFile::encodeName(path);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

Selection selectionOf(const QStringList& files)
{
    Selection selection;
    if (files.isEmpty())
        return selection;
    selection.folder = fileSystemPath(QFileInfo(files.front()).absolutePath());
    for (const QString& file : files)
        selection.names.push_back(fileSystemPath(QFileInfo(file).fileName()));
    return selection;
}

} // namespace tessely
