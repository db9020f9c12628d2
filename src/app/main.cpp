#include "app/BatchRun.h"
#include "app/ComparisonOptions.h"
#include "engine/GridFill.h"
#include "settings/IniFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>

#include <cstdio>
#include <cstdlib>

namespace {

void printLine(FILE *stream, const QString &text) {
    std::fputs(text.toUtf8().constData(), stream);
    std::fputs("\n", stream);
}

// A batch run ("/o OUT") builds only a QCoreApplication, so it needs no display.
int runBatch(int argc, char **argv, const BatchRequest &request) {
    QCoreApplication app(argc, argv);
    Workspace ws;
    sSetupGridColumns(ws);
    sLoadComparisonOptions(ws, gIniPath());
    const BatchResult result = fBatchCompare(ws, request);
    if (result.status == BatchTrouble)
        printLine(stderr, QStringLiteral("corvane: ") + result.error);
    else
        printLine(stdout, result.output);
    // The output file is complete; leave without tearing down a result of millions of rows
    // piece by piece, which the system reclaims at once.
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(result.status);
}

} // namespace

int main(int argc, char **argv) {
    // The arguments arrive already split; file names are decoded as the file system stores them.
    QStringList elements;
    for (int i = 0; i < argc; ++i)
        elements << QFile::decodeName(argv[i]);

    if (const auto request = fParseBatchArgs(elements))
        return runBatch(argc, argv, *request);

    std::fputs("usage: corvane LEFT RIGHT /o OUTPUT\n"
               "  Compares LEFT with RIGHT and writes the result to OUTPUT\n"
               "  (.html/.htm: HTML page, .csv or anything else: UTF-8 CSV).\n"
               "  Exit status: 0 no differences, 1 differences, 2 trouble.\n"
               "  The window for interactive use is not available yet.\n",
               stderr);
    return 2;
}
