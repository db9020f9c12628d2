// The window lives in a module the program loads only when it opens one.
#include "app/WindowModule.h"

#include "support/HangGuard.h"
#include "support/TempFiles.h"

#include <QDir>
#include <QFile>
#include <QLibrary>
#include <QProcess>

#include <gtest/gtest.h>

TEST(WindowModule, BuiltModuleOffersTheWindowEntry) {
    QLibrary module(QStringLiteral(CORVANE_WINDOW_MODULE_PATH));
    EXPECT_NE(module.resolve(RunWindowSymbol), nullptr) << module.errorString().toStdString();
}

TEST(WindowModule, ProgramWithoutItsModuleSaysSoInsteadOfOpeningNothing) {
    TempFiles dir;
    // In a folder of its own, so that no module lies where an installed one would.
    ASSERT_TRUE(QDir().mkpath(dir.filePath("bin")));
    const QString program = dir.filePath("bin/corvane");
    ASSERT_TRUE(QFile::copy(QStringLiteral(CORVANE_BINARY), program));
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.start(program, {});
    ASSERT_TRUE(p.waitForFinished(HangGuardMs));
    EXPECT_EQ(p.exitCode(), 2);
    EXPECT_TRUE(QString::fromUtf8(p.readAllStandardError())
                    .contains(QStringLiteral("ウィンドウを開けません: corvane-window.so")));
}
