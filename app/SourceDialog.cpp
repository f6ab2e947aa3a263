#include "SourceDialog.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>

namespace tessely
{

namespace
{

std::string fileSystemBytes(const QString& path)
{
    const QByteArray bytes = QFile::encodeName(path);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

} // namespace

std::string QtSourceDialog::showOpen(QWidget* parent, const DialogSetup& setup)
{
    QFileDialog dialog(parent);
    setUpSourceDialog(dialog, setup);
    if (!m_lastFolder.isEmpty())
        dialog.setDirectory(m_lastFolder);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    m_lastFolder = dialog.directory().absolutePath();
    return selectionText(dialog.selectedFiles());
}

QString qtFilterFrom(const std::string& filter)
{
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        // Several patterns of one entry are separated by ";" in the pipe form and by spaces in Qt's form.
        const QString patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts).join(QLatin1Char(' '));
        // Qt takes the patterns from the parentheses at the end of an entry; a description that already
        // shows them is kept as it is.
        if (description.endsWith(QLatin1Char(')')) && description.contains(QLatin1Char('(')))
            entries << description;
        else
            entries << description + QStringLiteral(" (") + patterns + QLatin1Char(')');
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
    dialog.setFileMode(setup.multiSelect() ? QFileDialog::ExistingFiles : QFileDialog::AnyFile);
    dialog.setNameFilter(qtFilterFrom(setup.filter));
}

std::string selectionText(const QStringList& files)
{
    if (files.isEmpty())
        return {};
    if (files.size() == 1)
        return fileSystemBytes(files.front());
    std::string text = fileSystemBytes(QFileInfo(files.front()).absolutePath());
    for (const QString& file : files) {
        text.push_back('\0');
        text += fileSystemBytes(QFileInfo(file).fileName());
    }
    return text;
}

} // namespace tessely
