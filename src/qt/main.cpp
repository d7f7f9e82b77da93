// vela [FILE]: the desktop program. A FILE given on the command line is
// opened as if it had been chosen in the Open dialog.

#include "core/LargePages.h"
#include "qt/MainWindow.h"
#include "solver/SparseSolvers.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include <cstdio>
#include <cstdlib> // defines __GLIBC__ where the C library is glibc

#if defined(__GLIBC__)
#include <malloc.h>
#endif

int main(int argc, char** argv)
{
    LimitSolverThreads();
    RunWithLargeMemoryPages(argv);
#if defined(__GLIBC__)
    // Files are read and solved on a worker thread. glibc gives each thread
    // an arena of its own that grows a few pages at a time, each step a
    // system call and a fault: reading a 100,000-node frame there took
    // twice as long as on the main thread's heap. One arena for all.
    mallopt(M_ARENA_MAX, 1);
#endif
    QCoreApplication::setApplicationName(QStringLiteral("vela"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELA_VERSION));

    // --help and --version answer before the application object exists, so
    // that they work where there is no display too.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Linear static analysis of plane frames."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays help on commandline options."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Displays version information."));
    parser.addOption(help);
    parser.addOption(version);
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("Beam System File to open at start."),
                                 QStringLiteral("[FILE]"));
    const QString usage = parser.helpText().replace(QStringLiteral("<executable_name>"), QStringLiteral("vela"));
    parser.parse(arguments);
    if (parser.isSet(help)) {
        std::fputs(qPrintable(usage), stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("vela %s\n", VELA_VERSION);
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Vela"));
    QApplication::setDesktopFileName(QStringLiteral("vela"));

    // Qt has taken its own options (-platform, -style, ...); the rest must
    // be ours.
    if (!parser.parse(QCoreApplication::arguments()) || parser.positionalArguments().size() > 1) {
        const QString error = parser.errorText().isEmpty() ? QStringLiteral("at most one FILE") : parser.errorText();
        std::fprintf(stderr, "vela: %s\n%s", qPrintable(error), qPrintable(usage));
        return 2;
    }
    const QStringList positional = parser.positionalArguments();

    MainWindow window(QStringLiteral(VELA_BUILD_DATE));
    window.show();
    if (!positional.isEmpty()) {
        // Once the window has its size, so that the structure is fitted to
        // it and a message about the file appears over the window.
        const QString file = positional.constFirst();
        QTimer::singleShot(0, &window, [&window, file] { window.OpenFile(file); });
    }
    return app.exec();
}
