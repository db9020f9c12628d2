#include "platform/ZipPackage.h"

#include "documents/DocumentFixtures.h"
#include "support/TempFiles.h"

#include <gtest/gtest.h>

using namespace DocumentFixtures;

namespace {

// 600 MiB of zeros in about 4 MB.
constexpr qint64 BombMatches = 600LL * 1024 * 1024 / 258;
constexpr quint32 BombSize = quint32(1 + 258 * BombMatches);

// Stored entries written by hand, so that a name may repeat and a local header may differ
// from its directory entry (here in its time stamp) as some writers leave it.
QByteArray storedZip(const QList<QPair<QByteArray, QByteArray>> &entries,
                     bool localTimesDiffer = false) {
    QByteArray out, central;
    for (const auto &[name, data] : entries) {
        const quint32 offset = quint32(out.size());
        for (const bool local : {true, false}) {
            QByteArray &b = local ? out : central;
            put32(b, local ? 0x04034b50 : 0x02014b50);
            if (!local)
                put16(b, 20);
            put16(b, 20);
            put16(b, 0);
            put16(b, 0);
            put16(b, local && localTimesDiffer ? 0x1234 : 0);
            put16(b, 0x21);
            put32(b, crc32(data));
            put32(b, quint32(data.size()));
            put32(b, quint32(data.size()));
            put16(b, quint16(name.size()));
            put16(b, 0);
            if (!local) {
                put16(b, 0);
                put16(b, 0);
                put16(b, 0);
                put32(b, 0);
                put32(b, offset);
            }
            b += name;
            if (local)
                b += data;
        }
    }
    const quint32 centralAt = quint32(out.size());
    out += central;
    put32(out, 0x06054b50);
    put32(out, 0);
    put16(out, quint16(entries.size()));
    put16(out, quint16(entries.size()));
    put32(out, quint32(central.size()));
    put32(out, centralAt);
    put16(out, 0);
    return out;
}

} // namespace

TEST(ZipPackage, ListsEntriesAndReadsThemByExactName) {
    TempFiles tmp;
    const QString path = tmp.filePath(QStringLiteral("p.zip"));
    writeZip(path, {{QStringLiteral("word/document.xml"), "lower"},
                    {QStringLiteral("Word/Document.xml"), "upper"},
                    {QStringLiteral("文書/本文.xml"), "日本語"},
                    {QStringLiteral("empty"), QByteArray()}});
    ZipPackage zip;
    ASSERT_TRUE(zip.open(path));
    EXPECT_EQ(zip.entryNames(), (QStringList{"word/document.xml", "Word/Document.xml",
                                             QStringLiteral("文書/本文.xml"), "empty"}));
    EXPECT_EQ(zip.read(QStringLiteral("word/document.xml")), QByteArray("lower"));
    EXPECT_EQ(zip.read(QStringLiteral("Word/Document.xml")), QByteArray("upper"));
    EXPECT_EQ(zip.read(QStringLiteral("文書/本文.xml")), QByteArray("日本語"));
    EXPECT_EQ(zip.read(QStringLiteral("empty")), QByteArray());
    EXPECT_EQ(zip.error(), ZipError::None);

    // No folding of case or separators, no leading slash.
    for (const char *name :
         {"WORD/DOCUMENT.XML", "/word/document.xml", "word\\document.xml", "word"}) {
        EXPECT_FALSE(zip.read(QString::fromLatin1(name))) << name;
        EXPECT_EQ(zip.error(), ZipError::MissingPart);
    }
    EXPECT_EQ(zip.totalRead(), 5 + 5 + 9);
}

TEST(ZipPackage, ReadsLargeEntriesAcrossManyChunks) {
    TempFiles tmp;
    const QString path = tmp.filePath(QStringLiteral("p.zip"));
    QByteArray big;
    for (int i = 0; i < 300000; ++i)
        big += QByteArray::number(i) + ',';
    writeZip(path, {{QStringLiteral("stored"), big}}, Method::Store);
    writeZip(tmp.filePath(QStringLiteral("d.zip")), {{QStringLiteral("deflated"), big}});
    ZipPackage stored;
    ASSERT_TRUE(stored.open(path));
    EXPECT_EQ(stored.read(QStringLiteral("stored")), big);
    ZipPackage deflated;
    ASSERT_TRUE(deflated.open(tmp.filePath(QStringLiteral("d.zip"))));
    EXPECT_EQ(deflated.read(QStringLiteral("deflated")), big);
}

TEST(ZipPackage, DamagedOrMissingFilesAreReportedNotRead) {
    TempFiles tmp;
    const QString good = tmp.filePath(QStringLiteral("good.zip"));
    writeZip(good,
             {{QStringLiteral("a.xml"), QByteArray(5000, 'a')}, {QStringLiteral("b.xml"), "b"}},
             Method::Store);
    const QByteArray bytes = TempFiles::read(good);

    ZipPackage zip;
    for (const qsizetype keep :
         {qsizetype(0), qsizetype(10), bytes.size() / 2, bytes.size() - 10}) {
        const QString cut = tmp.write(QStringLiteral("cut%1.zip").arg(keep), bytes.left(keep));
        EXPECT_FALSE(zip.open(cut)) << keep;
        EXPECT_EQ(zip.error(), ZipError::Damaged) << keep;
        EXPECT_EQ(zip.errorText(), ZipText::Damaged);
    }
    EXPECT_FALSE(zip.open(tmp.write(QStringLiteral("text.zip"), "just some text, not a zip")));
    EXPECT_EQ(zip.error(), ZipError::Damaged);

    EXPECT_FALSE(zip.open(tmp.filePath(QStringLiteral("missing.zip"))));
    EXPECT_EQ(zip.error(), ZipError::CannotOpen);
    EXPECT_FALSE(zip.open(tmp.path()));
    EXPECT_EQ(zip.error(), ZipError::CannotOpen);
    EXPECT_FALSE(zip.read(QStringLiteral("a.xml")));
    EXPECT_FALSE(zip.isOpen());

    // A flipped byte inside stored data passes the directory checks and fails the CRC.
    QByteArray flipped = bytes;
    const qsizetype data = 30 + 5 + quint8(bytes[28]) + 256 * quint8(bytes[29]);
    flipped[data + 100] = char(flipped[data + 100] ^ 0x55);
    ASSERT_TRUE(zip.open(tmp.write(QStringLiteral("crc.zip"), flipped)));
    EXPECT_FALSE(zip.read(QStringLiteral("a.xml")));
    EXPECT_EQ(zip.error(), ZipError::Damaged);
    EXPECT_EQ(zip.read(QStringLiteral("b.xml")), QByteArray("b"));
}

TEST(ZipPackage, EncryptedEntriesAreReportedAsEncrypted) {
    TempFiles tmp;
    const QString path = tmp.filePath(QStringLiteral("secret.zip"));
    writeZip(path, {{QStringLiteral("word/document.xml"), "secret"}}, Method::Deflate, "password");
    ZipPackage zip;
    ASSERT_TRUE(zip.open(path));
    EXPECT_FALSE(zip.read(QStringLiteral("word/document.xml")));
    EXPECT_EQ(zip.error(), ZipError::Encrypted);
    EXPECT_EQ(zip.errorText(), ZipText::Encrypted);
}

TEST(ZipPackage, BombsEndAsUnreadableQuickly) {
    TempFiles tmp;
    const QByteArray stream = zeroBomb(BombMatches);
    ASSERT_LT(stream.size(), 8 * 1024 * 1024);

    ZipPackage zip;
    // The same stream, short and with its true size and CRC, inflates to zeros: so what the
    // reader refuses below is the size, not a broken stream.
    const QByteArray small = zeroBomb(100);
    const QByteArray zeros(1 + 258 * 100, '\0');
    ASSERT_TRUE(
        zip.open(tmp.write(QStringLiteral("small.zip"),
                           rawZip("small.xml", small, quint32(zeros.size()), 8, crc32(zeros)))));
    EXPECT_EQ(zip.read(QStringLiteral("small.xml")), zeros);

    // Honest about its 600 MiB: refused from the directory, nothing is inflated.
    ASSERT_TRUE(
        zip.open(tmp.write(QStringLiteral("honest.zip"), rawZip("bomb.xml", stream, BombSize))));
    EXPECT_FALSE(zip.read(QStringLiteral("bomb.xml")));
    EXPECT_EQ(zip.error(), ZipError::TooLarge);
    EXPECT_EQ(zip.errorText(), ZipText::TooLarge);
    EXPECT_EQ(zip.totalRead(), 0);

    // Claims 4000 bytes: reading stops as soon as more than that arrives.
    ASSERT_TRUE(zip.open(tmp.write(QStringLiteral("liar.zip"), rawZip("bomb.xml", stream, 4000))));
    EXPECT_FALSE(zip.read(QStringLiteral("bomb.xml")));
    EXPECT_EQ(zip.error(), ZipError::Damaged);
}

TEST(ZipPackage, LimitsOnEntriesAndBytes) {
    TempFiles tmp;
    const QString path = tmp.filePath(QStringLiteral("p.zip"));
    writeZip(path, {{QStringLiteral("a"), QByteArray(600, 'a')},
                    {QStringLiteral("b"), QByteArray(600, 'b')},
                    {QStringLiteral("c"), QByteArray(1001, 'c')}});

    ZipLimits fewEntries;
    fewEntries.maxEntries = 2;
    ZipPackage small(fewEntries);
    EXPECT_FALSE(small.open(path));
    EXPECT_EQ(small.error(), ZipError::TooLarge);
    EXPECT_TRUE(small.entryNames().isEmpty());

    ZipLimits bytes;
    bytes.maxEntryBytes = 1000;
    bytes.maxTotalBytes = 1000;
    ZipPackage zip(bytes);
    ASSERT_TRUE(zip.open(path));
    EXPECT_FALSE(zip.read(QStringLiteral("c")));
    EXPECT_EQ(zip.error(), ZipError::TooLarge);
    EXPECT_TRUE(zip.read(QStringLiteral("a")));
    // 600 read, 400 left: the second entry would pass the total.
    EXPECT_FALSE(zip.read(QStringLiteral("b")));
    EXPECT_EQ(zip.error(), ZipError::TooLarge);
    // Reopening starts the count afresh.
    ASSERT_TRUE(zip.open(path));
    EXPECT_EQ(zip.read(QStringLiteral("b")), QByteArray(600, 'b'));
}

TEST(SafeXml, DoctypeEndsTheDocumentBeforeAnyEntityIsExpanded) {
    QXmlStreamReader r(BillionLaughs + "<lolz>&lol9;</lolz>");
    QString text;
    while (!r.atEnd()) {
        if (readNextSafe(r) == QXmlStreamReader::Characters)
            text += r.text();
    }
    EXPECT_TRUE(r.hasError());
    EXPECT_EQ(r.errorString(), ZipText::Doctype);
    EXPECT_TRUE(text.isEmpty()); // not a billion laughs

    // An external entity is never fetched: the DOCTYPE alone is refused.
    QXmlStreamReader ext(
        QByteArray("<!DOCTYPE d [<!ENTITY x SYSTEM \"file:///etc/passwd\">]><d>&x;</d>"));
    while (!ext.atEnd())
        readNextSafe(ext);
    EXPECT_EQ(ext.errorString(), ZipText::Doctype);

    // Documents without one read as usual.
    QXmlStreamReader plain(QByteArray("<?xml version=\"1.0\"?><a>x&amp;y</a>"));
    QString plainText;
    while (!plain.atEnd()) {
        if (readNextSafe(plain) == QXmlStreamReader::Characters)
            plainText += plain.text();
    }
    EXPECT_FALSE(plain.hasError());
    EXPECT_EQ(plainText, QStringLiteral("x&y"));
}

// Packages other readers open: a name stored twice reads as its last copy, and local headers
// that differ from the directory in their time stamps do not stop the reading.
TEST(ZipPackage, RepeatedNamesAndLooseLocalHeaders) {
    TempFiles tmp;
    ZipPackage zip;
    ASSERT_TRUE(
        zip.open(tmp.write(QStringLiteral("twice.zip"),
                           storedZip({{"a.xml", "first"}, {"b.xml", "b"}, {"a.xml", "second"}}))));
    EXPECT_EQ(zip.entryNames(), (QStringList{"a.xml", "b.xml", "a.xml"}));
    EXPECT_EQ(zip.read(QStringLiteral("a.xml")), QByteArray("second"));
    EXPECT_EQ(zip.read(QStringLiteral("b.xml")), QByteArray("b"));

    ASSERT_TRUE(zip.open(tmp.write(QStringLiteral("loose.zip"),
                                   storedZip({{"a.xml", "aaa"}, {"b.xml", "bb"}}, true))));
    EXPECT_EQ(zip.read(QStringLiteral("a.xml")), QByteArray("aaa"));
    EXPECT_EQ(zip.read(QStringLiteral("b.xml")), QByteArray("bb"));
}
