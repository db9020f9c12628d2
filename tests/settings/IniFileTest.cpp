#include "settings/IniFile.h"

#include "platform/NativePath.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

class IniFile : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString path() const { return m_dir.filePath(QStringLiteral("setting.ini")); }

    void writeBytes(const QByteArray &bytes) {
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    QByteArray readBytes() const {
        QFile f(path());
        if (!f.open(QIODevice::ReadOnly))
            return QByteArray();
        return f.readAll();
    }

    QString read(const QString &key, const QString &def = QStringLiteral("<none>")) const {
        return fReadIni(SettingsSection, key, path(), def);
    }
    int readInt(const QString &key, int def = -99) const {
        return readIniInt(SettingsSection, key, def, path());
    }

    QTemporaryDir m_dir;
};

TEST_F(IniFile, MissingFileSectionOrKeyGivesTheDefault) {
    EXPECT_EQ(read(QStringLiteral("Editer"), QStringLiteral("notepad %F")),
              QStringLiteral("notepad %F"));
    EXPECT_EQ(readInt(QStringLiteral("W"), 9600), 9600);

    // Keys of other sections, comments and lines without "=" are not keys of ours.
    writeBytes("[Other]\nW=5\n[Corvane]\nH=7\n;X=1\nY\n");
    EXPECT_EQ(readInt(QStringLiteral("W"), 9600), 9600);
    EXPECT_EQ(readInt(QStringLiteral("X"), 9600), 9600);
    EXPECT_EQ(read(QStringLiteral("Y")), QStringLiteral("<none>"));
    EXPECT_EQ(readIniInt(QStringLiteral("Nowhere"), QStringLiteral("H"), 3, path()), 3);
    EXPECT_EQ(readInt(QStringLiteral("H")), 7);
}

TEST_F(IniFile, NamesCompareWithoutCaseAndValuesAreTrimmed) {
    writeBytes("[corVANE]\n  fontsize =  12  \nEditer=\t\"C:\\my editor.exe\" %F \n");
    EXPECT_EQ(readInt(QStringLiteral("FontSize")), 12);
    EXPECT_EQ(read(QStringLiteral("EDITER")), QStringLiteral("\"C:\\my editor.exe\" %F"));
}

TEST_F(IniFile, StringValueIsCutAtItsFirstNul) {
    writeBytes(QByteArray("[Corvane]\nFont=MS\0Gothic\n", 25));
    EXPECT_EQ(read(QStringLiteral("Font")), QStringLiteral("MS"));
}

TEST_F(IniFile, IntegersReadTheLeadingSignedNumber) {
    writeBytes("[Corvane]\n"
               "a=12abc\nb=abc\nc=\nd=-1\ne=+7\nf=10.75\ng=99999999999\nh=-99999999999\n"
               "i=  -3 \nj=- 4\n");
    EXPECT_EQ(readInt(QStringLiteral("a")), 12);
    EXPECT_EQ(readInt(QStringLiteral("b")), 0);
    EXPECT_EQ(readInt(QStringLiteral("c")), 0);
    EXPECT_EQ(readInt(QStringLiteral("d")), -1);
    EXPECT_EQ(readInt(QStringLiteral("e")), 7);
    EXPECT_EQ(readInt(QStringLiteral("f")), 10);
    EXPECT_EQ(readInt(QStringLiteral("g")), INT_MAX);
    EXPECT_EQ(readInt(QStringLiteral("h")), INT_MIN);
    EXPECT_EQ(readInt(QStringLiteral("i")), -3);
    EXPECT_EQ(readInt(QStringLiteral("j")), 0);
}

TEST_F(IniFile, WriteCreatesTheFileAndReadsBack) {
    ASSERT_TRUE(
        writeIni(SettingsSection, QStringLiteral("Color0"), QStringLiteral("65535"), path()));
    ASSERT_TRUE(
        writeIni(SettingsSection, QStringLiteral("Editer"), QStringLiteral("vi +%L %F"), path()));
    EXPECT_EQ(readInt(QStringLiteral("color0")), 65535);
    EXPECT_EQ(read(QStringLiteral("Editer")), QStringLiteral("vi +%L %F"));
    const QByteArray eol = readBytes().contains("\r\n") ? "\r\n" : "\n";
    EXPECT_EQ(readBytes(), "[Corvane]" + eol + "Color0=65535" + eol + "Editer=vi +%L %F" + eol);
}

TEST_F(IniFile, WriteReplacesTheValueInPlaceAndKeepsEveryOtherLine) {
    const QByteArray before = "\xEF\xBB\xBF; settings\r\n"
                              "[Other]\r\n"
                              "Top=5\r\n"
                              "\r\n"
                              "[Corvane]\r\n"
                              "unknown = kept  \r\n"
                              "top=0\r\n"
                              "Toolbar=-1\r\n"
                              "\r\n"
                              "[Tail]\r\n"
                              "x=1";
    writeBytes(before);
    ASSERT_TRUE(writeIni(SettingsSection, QStringLiteral("Top"), QStringLiteral("-1"), path()));
    QByteArray expected = before;
    expected.replace("top=0", "top=-1");
    EXPECT_EQ(readBytes(), expected);
    EXPECT_EQ(readIniInt(QStringLiteral("Other"), QStringLiteral("Top"), 0, path()), 5);
}

TEST_F(IniFile, NewKeyGoesToTheEndOfItsSectionWithTheFileLineEnds) {
    writeBytes("[Corvane]\r\nA=1\r\n\r\n[Other]\r\nB=2\r\n");
    ASSERT_TRUE(writeIni(SettingsSection, QStringLiteral("C"), QStringLiteral("3"), path()));
    EXPECT_EQ(readBytes(), "[Corvane]\r\nA=1\r\nC=3\r\n\r\n[Other]\r\nB=2\r\n");
}

TEST_F(IniFile, MissingSectionIsAddedAtTheEnd) {
    writeBytes("[Other]\nB=2");
    ASSERT_TRUE(writeIni(SettingsSection, QStringLiteral("A"), QStringLiteral("x"), path()));
    EXPECT_EQ(readBytes(), "[Other]\nB=2\n[Corvane]\nA=x\n");
}

TEST_F(IniFile, ValuesThatWouldBreakTheLineAreRefused) {
    writeBytes("[Corvane]\nA=1\n");
    EXPECT_FALSE(
        writeIni(SettingsSection, QStringLiteral("A"), QStringLiteral("2\nTop=1"), path()));
    EXPECT_FALSE(writeIni(SettingsSection, QStringLiteral("B=C"), QStringLiteral("1"), path()));
    EXPECT_FALSE(writeIni(SettingsSection, QString(), QStringLiteral("1"), path()));
    EXPECT_FALSE(writeIni(QStringLiteral("X]Y"), QStringLiteral("A"), QStringLiteral("1"), path()));
    EXPECT_EQ(readBytes(), "[Corvane]\nA=1\n");
}

TEST_F(IniFile, WriteIntoAMissingFolderFails) {
    const QString missing = m_dir.filePath(QStringLiteral("no/such/setting.ini"));
    EXPECT_FALSE(writeIni(SettingsSection, QStringLiteral("A"), QStringLiteral("1"), missing));
    EXPECT_FALSE(QFile::exists(missing));
}

TEST_F(IniFile, NonAsciiValuesRoundTripBehindABom) {
    writeBytes("\xEF\xBB\xBF[Corvane]\r\nFont=ＭＳ ゴシック\r\n");
    EXPECT_EQ(read(QStringLiteral("font")), QStringLiteral("ＭＳ ゴシック"));
    const QString value = QStringLiteral("C:\\ユーザー\\比較 😀.txt");
    ASSERT_TRUE(writeIni(SettingsSection, QStringLiteral("Editer"), value, path()));
    EXPECT_EQ(read(QStringLiteral("Editer")), value);
}

// The program's folder may have a name that is not UTF-8: its settings are read and kept.
TEST_F(IniFile, FileInAFolderWhoseNameIsNotUtf8) {
    const QString folder = fJoinPath(m_dir.path(), decodeNativeName("caf\xe9"));
    ASSERT_EQ(::mkdir(encodeNativeName(folder).constData(), 0700), 0);
    const QString ini = fJoinPath(folder, QStringLiteral("setting.ini"));
    ASSERT_TRUE(writeIni(SettingsSection, QStringLiteral("A"), QStringLiteral("1"), ini));
    ASSERT_TRUE(writeIni(SettingsSection, QStringLiteral("B"), QStringLiteral("2"), ini));
    EXPECT_EQ(fReadIni(SettingsSection, QStringLiteral("A"), ini, QString()), QStringLiteral("1"));
    EXPECT_EQ(readIniInt(SettingsSection, QStringLiteral("B"), 0, ini), 2);
    // Qt could not remove them.
    ::unlink(encodeNativeName(ini).constData());
    ::rmdir(encodeNativeName(folder).constData());
}

} // namespace
