#include "qt/QtPlatform.h"

#include "app/AppState.h"
#include "app/Menu.h"
#include "qt/MessagesPanel.h"
#include "qt/Render.h"
#include "qt/ResultsPanel.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMetaObject>
#include <QProcess>
#include <QSettings>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <sys/stat.h>

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
        // The suggested name's extension picks the filter and the suffix a
        // bare name gets.
        const QString suffix = QFileInfo(qSuggested).suffix().toLower();
        dialog.setDefaultSuffix(suffix.isEmpty() ? QStringLiteral("csv") : suffix);
        for (const QString& entry : qFilter.split(QStringLiteral(";;")))
            if (!suffix.isEmpty() && entry.contains(QStringLiteral("*.") + suffix, Qt::CaseInsensitive))
                dialog.selectNameFilter(entry);
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& entry) {
            const qsizetype star = entry.indexOf(QStringLiteral("*."));
            if (star >= 0)
                dialog.setDefaultSuffix(entry.mid(star + 2).section(QLatin1Char(')'), 0, 0).section(' ', 0, 0));
        });
        if (!qSuggested.isEmpty())
            dialog.selectFile(qSuggested);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            chosen = dialog.selectedFiles().constFirst();
    }
    if (chosen.isEmpty())
        return std::nullopt;
    return ToPath(QFileInfo(chosen).absoluteFilePath());
}

void QtPlatform::PostToUiThread(std::function<void()> call)
{
    // Queued on the window: a call that arrives after the window has gone
    // is dropped with it.
    QMetaObject::invokeMethod(m_Window, std::move(call), Qt::QueuedConnection);
}

void QtPlatform::ShowBusy(const std::string& stage, bool cancellable)
{
    if (m_Busy)
        m_Busy->Show(QString::fromStdString(stage), cancellable);
    // The wait cursor over the drawing would hide the cross-hair the
    // gestures need; the indicator says enough.
}

void QtPlatform::SetMenuEnabled(int id, bool enabled)
{
    if (id == MenuId::RecentFiles) {
        if (m_RecentMenu)
            m_RecentMenu->setEnabled(enabled);
        return;
    }
    if (QAction* action = m_Actions.value(id))
        action->setEnabled(enabled);
}

void QtPlatform::NoticeAdded(const Notice& notice)
{
    if (m_NoticeLabel) {
        const QString text = QString::fromStdString(notice.text);
        m_NoticeLabel->setText(text);
        m_NoticeLabel->setToolTip(MessagesPanel::Line(notice));
    }
    if (m_MessagesPanel)
        m_MessagesPanel->Add(notice);
}

void QtPlatform::ShowMessagesPanel(bool visible)
{
    if (m_MessagesPanel)
        m_MessagesPanel->setVisible(visible);
}

QtPlatform::FileStamp QtPlatform::StampOf(const QString& path)
{
    FileStamp stamp;
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return stamp;
    stamp.exists = true;
    stamp.inode = static_cast<unsigned long long>(info.st_ino);
    stamp.size = static_cast<long long>(info.st_size);
    stamp.modified = static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
    return stamp;
}

void QtPlatform::WatchFile(const std::string& path)
{
    const QString file = path.empty() ? QString() : QFileInfo(FromPath(path)).absoluteFilePath();
    if (!m_Watcher) {
        m_Watcher = new QFileSystemWatcher(m_Window);
        QObject::connect(m_Watcher, &QFileSystemWatcher::fileChanged, m_Watcher, [this] { WatchedPathChanged(); });
        QObject::connect(m_Watcher, &QFileSystemWatcher::directoryChanged, m_Watcher, [this] { WatchedPathChanged(); });
    }
    if (!m_Watcher->files().isEmpty())
        m_Watcher->removePaths(m_Watcher->files());
    if (!m_Watcher->directories().isEmpty())
        m_Watcher->removePaths(m_Watcher->directories());
    m_WatchedFile = file;
    m_WatchedStamp = StampOf(file);
    if (file.isEmpty())
        return;
    // The folder too: an editor that saves by renaming a new file over the
    // old one ends the watch of the file, and the folder sees it come back.
    m_Watcher->addPath(QFileInfo(file).absolutePath());
    m_Watcher->addPath(file);
}

void QtPlatform::WatchedPathChanged()
{
    if (m_WatchedFile.isEmpty())
        return;
    // The file's watch is gone after a rename over it: take it up again.
    if (!m_Watcher->files().contains(m_WatchedFile) && QFileInfo::exists(m_WatchedFile))
        m_Watcher->addPath(m_WatchedFile);
    // The folder changes with every file written beside ours (the side and
    // result files among them): only a change of ours counts.
    const FileStamp stamp = StampOf(m_WatchedFile);
    if (stamp == m_WatchedStamp)
        return;
    m_WatchedStamp = stamp;
    if (m_State)
        m_State->OnWatchedFileChanged();
}

void QtPlatform::StartTimer(int id, int milliseconds)
{
    QTimer*& timer = m_Timers[id];
    if (!timer) {
        timer = new QTimer(m_Window);
        timer->setSingleShot(true);
        QObject::connect(timer, &QTimer::timeout, timer, [this, id] {
            if (m_State)
                m_State->OnTimer(id);
        });
    }
    timer->start(milliseconds);
}

namespace {

QSettings Settings()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("vela"), QStringLiteral("vela"));
}

} // namespace

std::vector<std::string> QtPlatform::ReadRecentFiles()
{
    std::vector<std::string> paths;
    for (const QString& path : Settings().value(QStringLiteral("RecentFiles")).toStringList())
        paths.push_back(ToPath(path));
    return paths;
}

void QtPlatform::WriteRecentFiles(const std::vector<std::string>& paths)
{
    QStringList list;
    for (const std::string& path : paths)
        list << FromPath(path);
    QSettings settings = Settings();
    settings.setValue(QStringLiteral("RecentFiles"), list);
}

void QtPlatform::RecentFilesChanged(const std::vector<std::string>& paths)
{
    if (!m_RecentMenu)
        return;
    m_RecentMenu->clear();
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const QString path = FromPath(paths[i]);
        // "&1 portal.txt  /home/user/frames": the name first, for the eye.
        QString text = QStringLiteral("&%1 %2  %3")
                           .arg(i + 1)
                           .arg(QFileInfo(path).fileName().replace(QLatin1Char('&'), QStringLiteral("&&")))
                           .arg(QFileInfo(path).absolutePath().replace(QLatin1Char('&'), QStringLiteral("&&")));
        QAction* action = m_RecentMenu->addAction(text);
        const int id = MenuId::RecentFile0 + static_cast<int>(i);
        action->setData(id);
        action->setToolTip(path);
        QObject::connect(action, &QAction::triggered, m_RecentMenu, [this, id] {
            if (m_CommandHandler)
                m_CommandHandler(id);
        });
    }
    m_RecentMenu->setEnabled(!paths.empty() && !(m_State && m_State->Busy()));
}

void QtPlatform::SavePicture(const std::string& path, int width, int height, COLORREF background,
                             const std::function<void(Canvas&)>& draw)
{
    PictureOptions options;
    options.width = width;
    options.height = height;
    options.background = background;
    RenderPicture(options, path, draw);
}

void QtPlatform::CloseWindow()
{
    if (m_Window)
        m_Window->close();
}
