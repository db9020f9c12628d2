#pragma once

// A copy of the real program in a temporary folder of its own (so its setting.ini is the
// test's), run in batch mode without a display.
#include "support/HangGuard.h"
#include "support/TempFiles.h"

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

struct RunResult {
    int status = -1;
    QString out;
    QString err;
};

class BatchProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        program = dir.filePath("corvane");
        ASSERT_TRUE(QFile::copy(QStringLiteral(CORVANE_BINARY), program));
    }

    QString write(const QString &name, const QByteArray &bytes) { return dir.write(name, bytes); }
    static QByteArray read(const QString &path) { return TempFiles::read(path); }

    // Runs the program with `args`; with `wrapper`, as its arguments (setpriv and the like).
    RunResult run(const QStringList &args, const QStringList &wrapper = {}) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        p.setProcessEnvironment(env);
        if (!workingDirectory.isEmpty())
            p.setWorkingDirectory(workingDirectory);
        if (wrapper.isEmpty())
            p.start(program, args);
        else
            p.start(wrapper.front(), wrapper.mid(1) + QStringList{program} + args);
        EXPECT_TRUE(p.waitForFinished(HangGuardMs));
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }

    TempFiles dir;
    QString program;
    QString workingDirectory; // the program's current folder when set
};
