#include "settings/Settings.h"

#include "engine/Workspace.h"
#include "platform/EditorCommand.h"
#include "settings/ComparisonOptions.h"
#include "settings/IniFile.h"
#include "settings/SettingCodec.h"
#include "support/TempFiles.h"

#include <gtest/gtest.h>

namespace {

class SettingsTest : public ::testing::Test {
protected:
    QString path() const { return files.filePath("setting.ini"); }
    void writeFile(const QByteArray &keys) { files.write("setting.ini", "[Corvane]\n" + keys); }
    QString raw(const char *key) const {
        return fReadIni(SettingsSection, QString::fromLatin1(key), path(), "<missing>");
    }

    TempFiles files;
};

TEST_F(SettingsTest, EveryKeyHasItsDefaultWithoutAFile) {
    const Settings s(path());
    EXPECT_FALSE(s.onTop());
    EXPECT_TRUE(s.showToolbar());
    EXPECT_TRUE(s.showStatusbar());
    EXPECT_TRUE(s.showDiffbar());
    EXPECT_FALSE(s.onlyDifferences());
    EXPECT_FALSE(s.binary());
    EXPECT_FALSE(s.csv());
    EXPECT_EQ(s.colour(0), 65535u);
    EXPECT_EQ(s.colour(1), 16744448u);
    EXPECT_EQ(s.colour(2), 16776960u);
    EXPECT_EQ(s.fontFace(), QString());
    EXPECT_EQ(s.fontSize(), 9);
    EXPECT_FALSE(s.wordWrap());
    EXPECT_FALSE(s.ignoreCase());
    EXPECT_TRUE(s.multipleInstances());
    EXPECT_EQ(s.folderContentMode(), 0);
    EXPECT_EQ(s.doubleClickAction(), 0);
    EXPECT_EQ(s.folderDoubleClickAction(), 1);
    EXPECT_EQ(s.editor(), defaultEditorCommand());
    EXPECT_EQ(s.binaryEditor(), QString());
    EXPECT_EQ(s.sheetZoom(), 0);
    EXPECT_EQ(s.saveTypeIndex(), 1);
    EXPECT_FALSE(s.backup());
    EXPECT_EQ(s.sheetDigits(), 0);
    EXPECT_FALSE(s.sheetFormulas());
    EXPECT_TRUE(s.pathHistory().isEmpty());
    for (int n = 1; n <= 5; ++n)
        EXPECT_EQ(s.recentComparison(n), QString());
    EXPECT_EQ(s.windowState(), 0);
    EXPECT_EQ(s.windowX(), 0);
    EXPECT_EQ(s.windowY(), 0);
    EXPECT_EQ(s.windowWidth(), 9600);
    EXPECT_EQ(s.windowHeight(), 9600);
    EXPECT_FALSE(QFile::exists(path())); // reading never creates the file
}

TEST_F(SettingsTest, MenuCheckMarksAreWrittenAsMinusOneAndTogglesAsOne) {
    Settings s(path());
    ASSERT_TRUE(s.setOnTop(true));
    ASSERT_TRUE(s.setShowToolbar(false));
    ASSERT_TRUE(s.setShowStatusbar(true));
    ASSERT_TRUE(s.setShowDiffbar(true));
    ASSERT_TRUE(s.setOnlyDifferences(true));
    ASSERT_TRUE(s.setBinary(false));
    ASSERT_TRUE(s.setCsv(true));
    ASSERT_TRUE(s.setWordWrap(true));
    ASSERT_TRUE(s.setIgnoreCase(true));
    ASSERT_TRUE(s.setMultipleInstances(false));
    ASSERT_TRUE(s.setBackup(true));
    EXPECT_EQ(raw("Backup"), "1");
    EXPECT_TRUE(s.backup());
    EXPECT_EQ(raw("Top"), "-1");
    EXPECT_EQ(raw("Toolbar"), "0");
    EXPECT_EQ(raw("Statusbar"), "-1");
    EXPECT_EQ(raw("Diffbar"), "-1");
    EXPECT_EQ(raw("OnlyDF"), "1");
    EXPECT_EQ(raw("Binary"), "0");
    EXPECT_EQ(raw("Csv"), "1");
    EXPECT_EQ(raw("Return"), "1");
    EXPECT_EQ(raw("Letter"), "1");
    EXPECT_EQ(raw("FMulti"), "0");
    EXPECT_TRUE(s.onTop() && !s.showToolbar() && s.showStatusbar() && s.onlyDifferences());
    EXPECT_TRUE(!s.binary() && s.csv() && s.wordWrap() && s.ignoreCase());
    EXPECT_FALSE(s.multipleInstances());
}

TEST_F(SettingsTest, AnyNonZeroNumberIsTrueAndNumbersReadTheirLeadingDecimal) {
    writeFile("Top=1\nToolbar=7\nOnlyDF=-1\nCsv=0x1\nLetter=abc\nFontSize=10.5\nZoom= -2 \n"
              "X=12px\nColor0=255junk\n");
    const Settings s(path());
    EXPECT_TRUE(s.onTop());
    EXPECT_TRUE(s.showToolbar());
    EXPECT_TRUE(s.onlyDifferences());
    EXPECT_FALSE(s.csv()); // "0x1" reads as 0
    EXPECT_FALSE(s.ignoreCase());
    EXPECT_EQ(s.fontSize(), 10);
    EXPECT_EQ(s.sheetZoom(), -2);
    EXPECT_EQ(s.windowX(), 12);
    EXPECT_EQ(s.colour(0), 255u);
    // Present but empty is no longer the default.
    writeFile("Toolbar=\nW=\nFMulti=\n");
    EXPECT_FALSE(s.showToolbar());
    EXPECT_EQ(s.windowWidth(), 0);
    EXPECT_FALSE(s.multipleInstances());
}

TEST_F(SettingsTest, NumbersAndTextsRoundTrip) {
    Settings s(path());
    ASSERT_TRUE(s.setColour(1, 0xABCDEF));
    ASSERT_TRUE(s.setFontSize("010.50")); // kept as typed
    ASSERT_TRUE(s.setFolderContentMode(2));
    ASSERT_TRUE(s.setDoubleClickAction(1));
    ASSERT_TRUE(s.setFolderDoubleClickAction(0));
    ASSERT_TRUE(s.setSheetZoom(-1));
    ASSERT_TRUE(s.setSaveTypeIndex(4));
    ASSERT_TRUE(s.setSheetDigits(15));
    ASSERT_TRUE(s.setSheetFormulas(true));
    ASSERT_TRUE(s.setWindowState(2));
    ASSERT_TRUE(s.setWindowX(-150));
    ASSERT_TRUE(s.setWindowY(30));
    ASSERT_TRUE(s.setWindowWidth(12000));
    ASSERT_TRUE(s.setWindowHeight(8000));
    const QString editor = QStringLiteral("\"/opt/エディタ/ed it\" +%L %F");
    ASSERT_TRUE(s.setEditor(editor));
    ASSERT_TRUE(s.setBinaryEditor("/usr/bin/hexedit"));

    const Settings other(path()); // another reader sees every write at once
    EXPECT_EQ(other.colour(1), 0xABCDEFu);
    EXPECT_EQ(raw("Color1"), "11259375");
    EXPECT_EQ(raw("FontSize"), "010.50");
    EXPECT_EQ(other.fontSize(), 10);
    EXPECT_EQ(other.folderContentMode(), 2);
    EXPECT_EQ(other.doubleClickAction(), 1);
    EXPECT_EQ(other.folderDoubleClickAction(), 0);
    EXPECT_EQ(other.sheetZoom(), -1);
    EXPECT_EQ(other.saveTypeIndex(), 4);
    EXPECT_EQ(raw("SheetDigits") + raw("SheetFormulas"), "151");
    EXPECT_EQ(other.sheetDigits(), 15);
    EXPECT_TRUE(other.sheetFormulas());
    // A count below zero means every digit, as 0 does.
    ASSERT_TRUE(s.setSheetDigits(-3));
    EXPECT_EQ(raw("SheetDigits"), "0");
    EXPECT_EQ(other.windowState(), 2);
    EXPECT_EQ(other.windowX(), -150);
    EXPECT_EQ(other.windowY(), 30);
    EXPECT_EQ(other.windowWidth(), 12000);
    EXPECT_EQ(other.windowHeight(), 8000);
    EXPECT_EQ(other.editor(), editor);
    EXPECT_EQ(other.binaryEditor(), "/usr/bin/hexedit");
    // An empty editor is stored, not replaced by the default.
    ASSERT_TRUE(s.setEditor(QString()));
    EXPECT_EQ(other.editor(), QString());
}

TEST_F(SettingsTest, HistoriesAreStoredScrambled) {
    Settings s(path());
    const QStringList entries{"/home/ユーザー/比較 a|b.txt", "C:\\data\\x.txt"};
    ASSERT_TRUE(s.setPathHistory(entries));
    EXPECT_EQ(raw("Combo"), fEncodeSetting(entries[0]) + "|" + fEncodeSetting(entries[1]));
    EXPECT_EQ(s.pathHistory(), entries);

    ASSERT_TRUE(s.setRecentComparison(1, "/a|/b"));
    ASSERT_TRUE(s.setRecentComparison(5, "/c|/d"));
    EXPECT_EQ(raw("History01"), fEncodeSetting("/a|/b"));
    EXPECT_EQ(raw("History05"), fEncodeSetting("/c|/d"));
    EXPECT_EQ(s.recentComparison(1), "/a|/b");
    EXPECT_EQ(s.recentComparison(5), "/c|/d");
    EXPECT_EQ(s.recentComparison(2), QString());

    // Empty parts of a hand-edited list are passed over.
    writeFile("Combo=|" + fEncodeSetting("/x").toUtf8() + "||\n");
    EXPECT_EQ(s.pathHistory(), QStringList{"/x"});
}

TEST_F(SettingsTest, AFailedWriteIsReported) {
    files.write("blocker", "a file, not a folder");
    Settings s(files.filePath("blocker/setting.ini"));
    EXPECT_FALSE(s.setOnTop(true));
    EXPECT_FALSE(s.setEditor("vi"));
    EXPECT_FALSE(s.onTop());
}

TEST_F(SettingsTest, ComparisonOptionsLoadWhatTheFileHolds) {
    EXPECT_EQ(ComparisonOptions::load(Settings(path())).colours, Settings::DefaultColours);
    EXPECT_EQ(ComparisonOptions::load(Settings(path())).sheetDigits, 0);
    writeFile("OnlyDF=1\nBinary=1\nCsv=0\nColor2=255\nLetter=1\nFFile=2\nSheetDigits=15\n"
              "SheetFormulas=1\n");
    const ComparisonOptions o = ComparisonOptions::load(Settings(path()));
    EXPECT_TRUE(o.onlyDifferences && o.binary && !o.csv && o.ignoreCase);
    EXPECT_EQ(o.sheetDigits, 15);
    EXPECT_TRUE(o.sheetFormulas);
    Workspace ws;
    o.applyTo(ws);
    EXPECT_EQ(ws.sheetDigits, 15);
    EXPECT_TRUE(ws.sheetFormulas);
    EXPECT_EQ(o.colours[0], Settings::DefaultColours[0]);
    EXPECT_EQ(o.colours[2], 255u);
    EXPECT_EQ(o.folderContentMode, 2);
}

} // namespace
