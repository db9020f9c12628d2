// Inputs that the fuzz targets (fuzz/) once failed on, fed through the same functions with the
// same checks. Each file in inputs/ is named after the reader it broke.
#include "encoding/Charset.h"
#include "encoding/DetectEncoding.h"
#include "encoding/OfficeDocument.h"
#include "settings/IniFile.h"
#include "sheet/Workbook.h"
#include "support/TempFiles.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

QString inputPath(const QString &name) {
    return QStringLiteral(CORVANE_SOURCE_DIR "/tests/fuzzregress/inputs/") + name;
}

QStringList inputsStartingWith(const QString &prefix) {
    return QDir(inputPath(QString())).entryList({prefix + "*"}, QDir::Files, QDir::Name);
}

} // namespace

// Hand-edited and damaged files: a written key reads back and the other lines stay.
TEST(FuzzRegression, IniWrittenKeyReadsBack) {
    const QStringList inputs = inputsStartingWith("ini_");
    ASSERT_FALSE(inputs.isEmpty());
    for (const QString &name : inputs) {
        TempFiles dir;
        const QString ini = dir.write("setting.ini", TempFiles::read(inputPath(name)));
        ASSERT_TRUE(writeIni(SettingsSection, "Letter", "written value", ini))
            << name.toStdString();
        EXPECT_EQ(fReadIni(SettingsSection, "letter", ini, QString()), "written value")
            << name.toStdString();
        // The other lines of the file are still there.
        EXPECT_TRUE(TempFiles::read(ini).contains("History")) << name.toStdString();
    }
}

// A damaged .xls on which the former workbook library read far past a buffer of its own: it
// is reported as unreadable or read, never a crash.
TEST(FuzzRegression, DamagedXlsIsRefusedOrRead) {
    const QStringList inputs = inputsStartingWith("xls_");
    ASSERT_FALSE(inputs.isEmpty());
    for (const QString &name : inputs) {
        TempFiles dir;
        const QString path = dir.write("book.xls", TempFiles::read(inputPath(name)));
        for (const bool cells : {false, true}) {
            QString error;
            const std::optional<Workbook> book = readWorkbook(path, cells, &error);
            EXPECT_TRUE(book || !error.isEmpty()) << name.toStdString();
        }
    }
}

// Whatever else the fuzzers saved: every reader of outside bytes ends with a result or a
// stated refusal.
TEST(FuzzRegression, EverySavedInputEndsCleanly) {
    for (const QString &name : QDir(inputPath(QString())).entryList(QDir::Files)) {
        const QByteArray bytes = TempFiles::read(inputPath(name));
        const QString detected = DetectEncoding(bytes);
        for (const QString &encoding :
             {EncodingName::Sjis, EncodingName::Jis, EncodingName::Euc, EncodingName::Utf8,
              EncodingName::Utf7, EncodingName::Unicode})
            EXPECT_FALSE(decodeByName(encoding, bytes).contains(QLatin1Char('\r')));
        EXPECT_FALSE(detected.isEmpty());
        TempFiles dir;
        for (const char *ext : {"xlsx", "xls", "csv", "ods"}) {
            QString error;
            const QString path = dir.write(QStringLiteral("in.") + ext, bytes);
            EXPECT_TRUE(readWorkbook(path, true, &error) || !error.isEmpty()) << name.toStdString();
        }
        for (const char *ext : {"docx", "odt", "doc"}) {
            QString error;
            const QString path = dir.write(QStringLiteral("in.") + ext, bytes);
            EXPECT_TRUE(readDocumentText(path, &error) ||
                        error.startsWith(DocumentText::CannotRead))
                << name.toStdString();
        }
    }
}
