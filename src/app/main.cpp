#include "app/BatchRun.h"
#include "app/WindowModule.h"
#include "platform/NativePath.h"
#include "run/GridFill.h"
#include "settings/ComparisonOptions.h"
#include "settings/IniFile.h"

#include <QCoreApplication>
#include <QLibrary>
#include <QStringList>

#include <cstdio>
#include <cstdlib>

namespace {

void printLine(FILE *stream, const QString &text) {
    // A name that is not UTF-8 shows as a file manager shows it.
    std::fputs(shownName(text).toUtf8().constData(), stream);
    std::fputs("\n", stream);
}

// A batch run ("/o OUT") builds only a QCoreApplication, so it needs no display.
int runBatch(int argc, char **argv, const BatchRequest &request) {
    QCoreApplication app(argc, argv);
    Workspace ws;
    setupGridColumns(ws);
    ComparisonOptions::load(Settings(gIniPath())).applyTo(ws);
    const BatchResult result = batchCompare(ws, request);
    if (result.status == BatchTrouble)
        printLine(stderr, oneLine(QStringLiteral("corvane: ") + result.error));
    else
        printLine(stdout, result.output);
    // The output file is complete; leave without tearing down a result of millions of rows
    // piece by piece, which the system reclaims at once.
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(result.status);
}

// Without a display the platform plugin would abort the program; say so instead.
bool displayAvailable() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.startsWith("wayland"))
        return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (!platform.isEmpty() && !platform.startsWith("xcb"))
        return true; // offscreen, vnc and the like need no display server
    if (!qEnvironmentVariableIsEmpty("DISPLAY"))
        return true;
    return platform.isEmpty() && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#else
    return true;
#endif
}

// Loads the window module, found beside the program in a build and in the library folder
// once installed, and hands it the run.
int runWindow(int &argc, char **argv, const QStringList &elements) {
    const QString folder = programFolder() + QLatin1Char('/');
    QString error;
    for (const QString &path : {folder + QStringLiteral(CORVANE_WINDOW_MODULE),
                                folder + QStringLiteral(CORVANE_INSTALLED_WINDOW_MODULE)}) {
        NativeStat st;
        if (!nativeStat(path, &st))
            continue;
        QLibrary module(path);
        if (const auto run = reinterpret_cast<RunWindowFunction>(module.resolve(RunWindowSymbol)))
            return run(argc, argv, elements);
        error = module.errorString();
        break;
    }
    if (error.isEmpty())
        error = QStringLiteral(CORVANE_WINDOW_MODULE) + QStringLiteral(" が見つかりません");
    printLine(stderr, oneLine(QStringLiteral("corvane: ウィンドウを開けません: ") + error));
    return 2;
}

} // namespace

int main(int argc, char **argv) {
    // The arguments arrive already split and as bytes: a file name that is not UTF-8 is kept
    // exactly, as every path of the program is.
    QStringList elements;
    for (int i = 0; i < argc; ++i)
        elements << decodeNativeName(QByteArray(argv[i]));

    if (const auto request = parseBatchArgs(elements))
        return runBatch(argc, argv, *request);

    if (!displayAvailable()) {
        printLine(stderr, QStringLiteral("corvane: ウィンドウを開くにはディスプレイが必要です。"
                                         "ディスプレイなしで比較するには LEFT RIGHT /o OUTPUT "
                                         "と指定してください"));
        return 2;
    }
    return runWindow(argc, argv, elements);
}
