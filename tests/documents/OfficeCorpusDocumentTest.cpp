// Documents from outside the project that other readers open, read as they show.

#include "encoding/OfficeDocument.h"

#include "support/OfficeCorpus.h"
#include "support/TempFiles.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

QString readText(const QString &path) {
    QString error;
    const std::optional<QString> text = readDocumentText(path, &error);
    return text ? *text : QStringLiteral("ERROR ") + error;
}

} // namespace

TEST(OfficeCorpus, DocumentsReadAndEqualTheirCopies) {
    TempFiles tmp;
    const char *names[] = {"47950_lower.doc",
                           "47950_upper.doc",
                           "53446.doc",
                           "MarkAuthorsTable.doc",
                           "Bug52032_3.doc",
                           "53379.doc",
                           "61586.doc",
                           "form_footnotes.docx",
                           "unicode-path.docx",
                           "cpansearch.perl.org_src_tobyink_acme-rundoc-0.001_word-lib_hello_world."
                           "docm"};
    for (const char *name : names) {
        const QString path = OfficeCorpus::file(QString::fromLatin1(name));
        if (path.isEmpty())
            GTEST_SKIP() << "office corpus not present";
        const QString text = readText(path);
        EXPECT_FALSE(text.startsWith(QStringLiteral("ERROR"))) << name << text.toStdString();
        const QString copy = tmp.filePath(QStringLiteral("copy_") + QString::fromLatin1(name));
        ASSERT_TRUE(QFile::copy(path, copy));
        EXPECT_EQ(readText(copy), text) << name;
    }
}

TEST(OfficeCorpus, DocumentTextsAsShown) {
    OFFICE_CORPUS_FILE(lower, "47950_lower.doc");
    OFFICE_CORPUS_FILE(upper, "47950_upper.doc");
    EXPECT_EQ(readText(lower), readText(upper));

    OFFICE_CORPUS_FILE(changes, "53446.doc");
    const QString accepted = readText(changes);
    EXPECT_TRUE(accepted.contains(QStringLiteral("September 28, 1999")));
    EXPECT_FALSE(accepted.contains(QStringLiteral("September 1728")));

    OFFICE_CORPUS_FILE(degrees, "53379.doc");
    EXPECT_TRUE(readText(degrees).contains(QStringLiteral("160°C")));
    OFFICE_CORPUS_FILE(micro, "61586.doc");
    EXPECT_FALSE(readText(micro).contains(QStringLiteral("15 (g/mL")));
    OFFICE_CORPUS_FILE(sym, "form_footnotes.docx");
    EXPECT_TRUE(readText(sym).contains(QStringLiteral("OF   ") + QChar(0xF094)));

    // The last copy of a part stored twice, as the workbook reader takes it.
    OFFICE_CORPUS_FILE(twice, "unicode-path.docx");
    EXPECT_EQ(readText(twice), QStringLiteral("2"));

    OFFICE_CORPUS_FILE(word2, "word2.doc");
    EXPECT_EQ(readText(word2),
              QStringLiteral("ERROR ") + DocumentText::CannotRead + DocumentText::OldWordFormat);
}
