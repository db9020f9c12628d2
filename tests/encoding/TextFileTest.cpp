#include "TestBytes.h"
#include "encoding/Charset.h"
#include "support/TempFiles.h"

#include <QDir>

#include <QFile>
#include <QTemporaryDir>
#include <sys/stat.h>

#include <gtest/gtest.h>

namespace {

class TextFileTest : public ::testing::Test {
protected:
    QString write(const QString &name, const QByteArray &bytes) { return dir.write(name, bytes); }
    QByteArray read(const QString &path) { return TempFiles::read(path); }
    TempFiles dir;
};

} // namespace

TEST_F(TextFileTest, EncodingsAndLineEndsLoadAlike) {
    const QString lf = QStringLiteral(u"比較するテキストです。\n二行目\n\nabc\n");
    QString crlf = lf;
    crlf.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    QString cr = lf;
    cr.replace(QLatin1Char('\n'), QLatin1Char('\r'));

    EXPECT_EQ(LoadNormalizedText(write("sjis.txt", encodedAs("windows-31j", crlf))), lf);
    EXPECT_EQ(LoadNormalizedText(write("utf8.txt", lf.toUtf8())), lf);
    EXPECT_EQ(LoadNormalizedText(write("cr.txt", cr.toUtf8())), lf);
    EXPECT_EQ(LoadNormalizedText(write("bom.txt", "\xEF\xBB\xBF" + crlf.toUtf8())), lf);
    EXPECT_EQ(LoadNormalizedText(write("euc.txt", encodedAs("EUC-JP", crlf))), lf);
    EXPECT_EQ(LoadNormalizedText(write("jis.txt", encodedAs("ISO-2022-JP", crlf))), lf);
    const QByteArray utf16(reinterpret_cast<const char *>(crlf.utf16()), crlf.size() * 2);
    EXPECT_EQ(LoadNormalizedText(write("utf16.txt", "\xFF\xFE" + utf16)), lf);
}

TEST_F(TextFileTest, AsciiAndMarklessUtf16LoadAsWritten) {
    EXPECT_EQ(LoadNormalizedText(write("hello.txt", "hello\n")), QStringLiteral("hello\n"));
    EXPECT_EQ(LoadNormalizedText(write("two.txt", "old text\r\nsame\r\n")),
              QStringLiteral("old text\nsame\n"));
    const QString text = QStringLiteral("Written by a tool without a mark\r\nLine 2\r\n");
    const QByteArray utf16(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    EXPECT_EQ(LoadNormalizedText(write("utf16.txt", utf16)),
              QStringLiteral("Written by a tool without a mark\nLine 2\n"));
}

TEST_F(TextFileTest, EmptyFileLoadsAsEmptyText) {
    EXPECT_EQ(LoadNormalizedText(write("empty.txt", QByteArray())), QString());
}

TEST_F(TextFileTest, UnreadablePathsThrow) {
    EXPECT_THROW(LoadNormalizedText(dir.filePath("missing.txt")), FileReadError);
    EXPECT_THROW(LoadNormalizedText(dir.path()), FileReadError);
    EXPECT_THROW(LoadNormalizedText(QString()), FileReadError);
    try {
        LoadNormalizedText(dir.filePath("missing.txt"));
    } catch (const FileReadError &e) {
        EXPECT_NE(std::string(e.what()).find("missing.txt"), std::string::npos);
    }
}

TEST_F(TextFileTest, Utf8SaveStartsWithMark) {
    const QString path = dir.filePath("out.csv");
    ASSERT_TRUE(SaveTextAs(QStringLiteral("UTF-8"), QStringLiteral("abc"), path));
    EXPECT_EQ(read(path), QByteArray("\xEF\xBB\xBF"
                                     "abc"));
    // Overwrites, keeps the caller's line ends, and reads back through the loader.
    const QString text = QStringLiteral(u"列1,列2\r\n値,\"x\"\r\n");
    ASSERT_TRUE(SaveTextAs(QStringLiteral("UTF-8"), text, path));
    EXPECT_EQ(read(path), "\xEF\xBB\xBF" + text.toUtf8());
    EXPECT_EQ(LoadNormalizedText(path), QStringLiteral(u"列1,列2\n値,\"x\"\n"));
}

TEST_F(TextFileTest, OtherCharsetsSaveWithoutMark) {
    const QString path = dir.filePath("out.txt");
    ASSERT_TRUE(SaveTextAs(QStringLiteral("EUC-JP"), QStringLiteral(u"漢字"), path));
    EXPECT_EQ(read(path), QByteArray("\xB4\xC1\xBB\xFA"));
    EXPECT_FALSE(SaveTextAs(QStringLiteral("NO-SUCH-CHARSET"), QStringLiteral("x"), path));
    EXPECT_EQ(read(path), QByteArray("\xB4\xC1\xBB\xFA")); // earlier file intact
    // The ANSI code page under any of its names writes best fits, never FC FC.
    for (const char *name : {"Shift_JIS", "cp932", "windows-31j"}) {
        ASSERT_TRUE(SaveTextAs(QString::fromLatin1(name), QStringLiteral(u"〜ü😀"), path));
        EXPECT_EQ(read(path), QByteArray("\x81\x60u?")) << name;
    }
}

TEST_F(TextFileTest, SaveFailuresReturnFalseAndLeaveNoFile) {
    const QString inMissing = dir.filePath("no/such/folder/out.csv");
    EXPECT_FALSE(SaveTextAs(QStringLiteral("UTF-8"), QStringLiteral("abc"), inMissing));
    EXPECT_FALSE(QFile::exists(inMissing));
    EXPECT_FALSE(SaveTextAs(QStringLiteral("UTF-8"), QStringLiteral("abc"), dir.path()));
    EXPECT_FALSE(SaveTextAs(QStringLiteral("UTF-8"), QStringLiteral("abc"), QString()));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
}

TEST(TextFileSpecial, PipesAndDevicesAreRefusedNotReadForever) {
    TempFiles dir;
    const QString fifo = dir.filePath("pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_THROW(LoadNormalizedText(fifo), FileReadError);
    EXPECT_THROW(LoadNormalizedText(QStringLiteral("/dev/zero")), FileReadError);
}
