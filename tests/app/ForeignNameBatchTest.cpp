// The real program in batch mode with file names that are not UTF-8 (bytes a Latin-1 or
// Shift_JIS system wrote): such names are found, compared and written to, and reports show
// their odd bytes as U+FFFD, as a file manager does.
#include "documents/WordBinaryFixtures.h"
#include "platform/AtomicFile.h"
#include "platform/FileReader.h"
#include "platform/NativePath.h"
#include "support/HangGuard.h"
#include "support/TempFiles.h"

#include <QProcess>

#include <gtest/gtest.h>

namespace {

struct RunResult {
    int status = -1;
    QString out;
    QString err;
};

// A shell word that gives exactly the bytes of the name: an argument QProcess passes would be
// re-encoded, and a name that is not UTF-8 would lose its bytes on the way.
QString shellWord(const QString &argument) {
    QString word = QStringLiteral("\"$(printf '");
    for (const char c : encodeNativeName(argument)) {
        const auto byte = uchar(c);
        if ((byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') ||
            (byte >= 'a' && byte <= 'z') || byte == '/' || byte == '.' || byte == '_')
            word += QChar(byte);
        else
            word += QStringLiteral("\\%1").arg(byte, 3, 8, QLatin1Char('0'));
    }
    return word + QStringLiteral("')\"");
}

class ForeignNameBatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A copy of the program in a folder of its own, so that its setting.ini is ours.
        program = dir.filePath("corvane");
        ASSERT_TRUE(QFile::copy(QStringLiteral(CORVANE_BINARY), program));
    }

    // Writes a file whose name is given as bytes; returns its path.
    QString write(const QByteArray &name, const QByteArray &bytes) {
        const QString path = fJoinPath(dir.path(), decodeNativeName(name));
        const int slash = name.lastIndexOf('/');
        if (slash > 0)
            QDir().mkpath(dir.filePath(QString::fromLatin1(name.left(slash))));
        EXPECT_TRUE(writeWholeFile(path, bytes)) << name.constData();
        return path;
    }
    QString path(const QByteArray &name) const {
        return fJoinPath(dir.path(), decodeNativeName(name));
    }
    static QString readText(const QString &path) {
        const WholeFile file = readWholeFile(path, 1 << 20);
        EXPECT_TRUE(file.ok()) << file.problemText(path).toStdString();
        return QString::fromUtf8(file.bytes);
    }

    RunResult run(const QStringList &args) {
        QStringList words{QStringLiteral("exec"), shellWord(program)};
        for (const QString &arg : args)
            words << shellWord(arg);
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), words.join(QLatin1Char(' '))});
        EXPECT_TRUE(p.waitForFinished(HangGuardMs));
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }

    TempFiles dir;
    QString program;
};

const QString Shown = QStringLiteral("caf\uFFFD.txt");

} // namespace

TEST_F(ForeignNameBatchTest, FolderPairHoldingSuchANameIsComparedAndReported) {
    write("L/caf\xe9.txt", "ONE\nTWO\n");
    write("R/caf\xe9.txt", "ONE\nTHREE\n");
    const QString left = path("L"), right = path("R");

    const RunResult csv = run({left, right, "/o", path("out\xe9.csv")});
    EXPECT_EQ(csv.status, 1);
    EXPECT_EQ(csv.err, QString());
    EXPECT_EQ(csv.out, QStringLiteral("完了     不一致行=1  左のみ存在=0  右のみ存在=0\n"));
    const QStringList lines = readText(path("out\xe9.csv")).split(QStringLiteral("\r\n"));
    ASSERT_GE(lines.size(), 2);
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("\"CHG\",\"") + Shown + QStringLiteral("\",")))
        << lines[1].toStdString();

    const RunResult html = run({left, right, "/o", path("out.html")});
    EXPECT_EQ(html.status, 1);
    EXPECT_EQ(html.err, QString());
    const QString page = readText(path("out.html"));
    EXPECT_EQ(page.count(QStringLiteral("<td>") + Shown + QStringLiteral("</td>")), 2);
    EXPECT_FALSE(page.contains(QStringLiteral("caf?")));
}

TEST_F(ForeignNameBatchTest, FilesWithSuchNamesAreComparedFromTheCommandLine) {
    const QString a = write("L/caf\xe9.txt", "ONE\nTWO\n");
    const QString b = write("R/caf\xe9.txt", "ONE\nTHREE\n");
    const RunResult differ = run({a, b, "/o", path("out.csv")});
    EXPECT_EQ(differ.status, 1);
    EXPECT_EQ(differ.err, QString());
    EXPECT_EQ(differ.out, QStringLiteral("完了     不一致行=1  左のみ存在=0  右のみ存在=0\n"));
    EXPECT_TRUE(readText(path("out.csv")).contains(QStringLiteral("\"") + Shown + " ["));

    // A Shift_JIS name ("あ.txt") holding Shift_JIS text, against UTF-8: the same text.
    const QString sjis = write("\x82\xa0.txt", "\x93\xfa\x96\x7b\x8c\xea\r\n");
    const QString utf8 = write("utf8.txt", "日本語\n");
    const RunResult same = run({sjis, utf8, "/o", path("same.csv")});
    EXPECT_EQ(same.status, 0) << same.err.toStdString();
    EXPECT_EQ(same.out, QStringLiteral("完了  文字コードと改行コードのみ異なります (CRLF / LF)\n"));

    // A missing one is named as a file manager shows it.
    const RunResult missing = run({a, path("gone\xe9.txt"), "/o", path("x.csv")});
    EXPECT_EQ(missing.status, 2);
    EXPECT_TRUE(missing.err.contains(QStringLiteral("gone\uFFFD.txt")))
        << missing.err.toStdString();
}

// A legacy document with such a name is found and read.
TEST_F(ForeignNameBatchTest, LegacyDocumentWithSuchANameIsRead) {
    const QString made = path("made.doc");
    ASSERT_TRUE(WordBinaryFixtures::writeDoc(made, {{QStringLiteral("TEXT\r"), false, {}}}));
    const QString doc = write("caf\xe9.doc", TempFiles::read(made));
    const QString other = write("other.txt", "TEXT\n");
    const RunResult r = run({doc, other, "/o", path("out.csv")});
    EXPECT_EQ(r.status, 1) << r.err.toStdString(); // the text file's last line is empty
    EXPECT_EQ(r.err, QString());
    EXPECT_EQ(r.out, QStringLiteral("完了     不一致行=0  左のみ存在=0  右のみ存在=1\n"));
}
