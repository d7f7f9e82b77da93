#include "qt/QtPlatform.h"

#include "qt/ResultsPanel.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QUrl>
#include <QWidget>

ViewerLauncher::~ViewerLauncher() = default;

bool ViewerLauncher::OpenUrl(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

bool ViewerLauncher::StartDetached(const QString& program, const QStringList& arguments)
{
    return QProcess::startDetached(program, arguments);
}

QString ViewerLauncher::Environment(const char* name)
{
    return qEnvironmentVariable(name);
}

QtPlatform::QtPlatform(QWidget* window, QWidget* drawingArea, std::unique_ptr<ViewerLauncher> launcher)
    : m_Window(window), m_DrawingArea(drawingArea),
      m_Launcher(launcher ? std::move(launcher) : std::make_unique<ViewerLauncher>())
{
}

QtPlatform::~QtPlatform() = default;

void QtPlatform::RegisterAction(int id, QAction* action)
{
    m_Actions.insert(id, action);
}

void QtPlatform::SetLauncher(std::unique_ptr<ViewerLauncher> launcher)
{
    m_Launcher = launcher ? std::move(launcher) : std::make_unique<ViewerLauncher>();
}

QString QtPlatform::FromPath(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string QtPlatform::ToPath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

void QtPlatform::ShowMessage(const std::string& caption, const std::string& text)
{
    const QString qCaption = QString::fromStdString(caption);
    const QString qText = QString::fromStdString(text);
    if (m_MessageHandler) {
        m_MessageHandler(qCaption, qText);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, qCaption, qText, QMessageBox::Ok, m_Window);
    box.exec();
}

std::optional<std::string> QtPlatform::ChooseFileToOpen(const std::string& title, const std::string& filter,
                                                        const std::string& lastPath)
{
    const QString qTitle = QString::fromStdString(title);
    const QString qFilter = QString::fromStdString(filter);
    const QString qLast = FromPath(lastPath);
    QString chosen;
    if (m_FileChooser) {
        chosen = m_FileChooser(qTitle, qFilter, qLast);
    } else {
        QFileDialog dialog(m_Window, qTitle);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        // Qt's own dialog matches the filter's pattern in any case, so
        // "*.TXT" also offers the usual lower-case ".txt" files; native
        // dialogs do not all do that.
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setNameFilter(qFilter);
        if (!qLast.isEmpty())
            dialog.selectFile(qLast);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            chosen = dialog.selectedFiles().constFirst();
    }
    if (chosen.isEmpty())
        return std::nullopt;
    return ToPath(QFileInfo(chosen).absoluteFilePath());
}

bool QtPlatform::OpenInViewer(const std::string& path)
{
    const QString absolute = QFileInfo(FromPath(path)).absoluteFilePath();
    if (m_Launcher->OpenUrl(QUrl::fromLocalFile(absolute)))
        return true;
    // Without a desktop handler: the user's editor, then the generic opener.
    // The file name is always one argument of its own, never part of a
    // command line a shell would read.
    for (const char* variable : {"VISUAL", "EDITOR"}) {
        QStringList command = QProcess::splitCommand(m_Launcher->Environment(variable));
        if (command.isEmpty())
            continue;
        const QString program = command.takeFirst();
        command.append(absolute);
        if (m_Launcher->StartDetached(program, command))
            return true;
    }
    return m_Launcher->StartDetached(QStringLiteral("xdg-open"), {absolute});
}

void QtPlatform::Repaint(bool)
{
    // Every frame is composed whole, so an erase adds nothing.
    if (m_DrawingArea)
        m_DrawingArea->update();
}

void QtPlatform::SetMenuCheck(int id, bool checked)
{
    if (QAction* action = m_Actions.value(id))
        action->setChecked(checked);
}

void QtPlatform::SetWindowTitle(const std::string& title)
{
    if (m_Window)
        m_Window->setWindowTitle(QString::fromStdString(title));
}

std::string QtPlatform::CurrentDirectory()
{
    return ToPath(QDir::currentPath());
}

bool QtPlatform::SetCurrentDirectory(const std::string& path)
{
    return QDir::setCurrent(FromPath(path));
}

bool QtPlatform::FileExists(const std::string& path)
{
    return QFileInfo::exists(FromPath(path));
}

bool QtPlatform::CreateNewFile(const std::string& path)
{
    QFile file(FromPath(path));
    return file.open(QIODevice::WriteOnly | QIODevice::NewOnly);
}

bool QtPlatform::RemoveFile(const std::string& path)
{
    return QFile::remove(FromPath(path));
}

void QtPlatform::SetStatusText(const std::string& text)
{
    if (m_StatusLabel)
        m_StatusLabel->setText(QString::fromStdString(text));
}

void QtPlatform::ShowResultsPanel(bool visible)
{
    if (m_ResultsPanel)
        m_ResultsPanel->setVisible(visible);
}

void QtPlatform::ResultsChanged()
{
    if (m_ResultsPanel)
        m_ResultsPanel->ResultsChanged();
}

void QtPlatform::SelectResultRow(RowKind kind, int number)
{
    if (m_ResultsPanel)
        m_ResultsPanel->SelectRow(kind, number);
}

std::optional<std::string> QtPlatform::ChooseFileToSave(const std::string& title, const std::string& filter,
                                                        const std::string& suggestedPath)
{
    const QString qTitle = QString::fromStdString(title);
    const QString qFilter = QString::fromStdString(filter);
    const QString qSuggested = FromPath(suggestedPath);
    QString chosen;
    if (m_SaveChooser) {
        chosen = m_SaveChooser(qTitle, qFilter, qSuggested);
    } else {
        QFileDialog dialog(m_Window, qTitle);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setNameFilter(qFilter);
        dialog.setDefaultSuffix(QStringLiteral("csv"));
        if (!qSuggested.isEmpty())
            dialog.selectFile(qSuggested);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            chosen = dialog.selectedFiles().constFirst();
    }
    if (chosen.isEmpty())
        return std::nullopt;
    return ToPath(QFileInfo(chosen).absoluteFilePath());
}
