// vela [FILE]: the desktop program. A FILE given on the command line is
// opened as if it had been chosen in the Open dialog.

#include "qt/MainWindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vela"));
    QApplication::setApplicationVersion(QStringLiteral(VELA_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("vela"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Linear static analysis of plane frames."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("Beam System File to open at start."),
                                 QStringLiteral("[FILE]"));
    parser.process(app);
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        parser.showHelp(2);
    }

    MainWindow window(QStringLiteral(VELA_BUILD_DATE));
    window.show();
    if (!files.isEmpty()) {
        // Once the window has its size, so that the structure is fitted to
        // it and a message about the file appears over the window.
        const QString file = files.constFirst();
        QTimer::singleShot(0, &window, [&window, file] { window.OpenFile(file); });
    }
    return app.exec();
}
