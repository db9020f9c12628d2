#include "platform/NativePath.h"
#include "platform/FileReader.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <random>
#include <unistd.h>

namespace {

QByteArray sBytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

// Creates a file with the given raw name bytes inside folder and writes content to it.
void sCreateRaw(const QString &folder, const QByteArray &name, const QByteArray &content) {
    const QByteArray path = encodeNativeName(folder) + '/' + name;
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, content.constData(), size_t(content.size())), content.size());
    ::close(fd);
}

} // namespace

TEST(NativeName, ValidUtf8DecodesAsText) {
    const QString text = QStringLiteral("比較フォルダ_ä_😀.txt");
    EXPECT_EQ(decodeNativeName(text.toUtf8()), text);
    EXPECT_EQ(encodeNativeName(text), text.toUtf8());
}

TEST(NativeName, InvalidBytesBecomeEscapes) {
    // Shift_JIS "あ" (82 A0) is not UTF-8; a lone continuation byte, a truncated sequence,
    // an overlong "/" and an encoded surrogate are escaped byte by byte.
    EXPECT_EQ(decodeNativeName(sBytes({'a', 0x82, 0xA0, 'b'})), QString::fromUtf16(u"a\xDC82\xDCA0"
                                                                                   u"b"));
    EXPECT_EQ(decodeNativeName(sBytes({0xE3, 0x81})), QString::fromUtf16(u"\xDCE3\xDC81"));
    EXPECT_EQ(decodeNativeName(sBytes({0xC0, 0xAF})), QString::fromUtf16(u"\xDCC0\xDCAF"));
    EXPECT_EQ(decodeNativeName(sBytes({0xED, 0xA0, 0x80})),
              QString::fromUtf16(u"\xDCED\xDCA0\xDC80"));
    EXPECT_EQ(decodeNativeName(sBytes({0xF4, 0x90, 0x80, 0x80})).size(), 4);
    EXPECT_EQ(fJoinPath(QStringLiteral("/"), QStringLiteral("b")), QStringLiteral("/b"));
    // A valid sequence right after an invalid byte is still decoded as a character.
    EXPECT_EQ(decodeNativeName(sBytes({0xFF, 0xE3, 0x81, 0x82})),
              QString::fromUtf16(u"\xDCFF\x3042"));
    // Surrogates that decoding never produces must not be taken for an escape or dropped.
    EXPECT_EQ(encodeNativeName(QString(QChar(char16_t(0xD800)))), sBytes({0xEF, 0xBF, 0xBD}));
    EXPECT_EQ(encodeNativeName(QString(QChar(char16_t(0xDC41)))), sBytes({0xEF, 0xBF, 0xBD}));
}

TEST(NativeName, RandomBytesRoundTripExactly) {
    std::mt19937 rng(12345);
    std::uniform_int_distribution<int> len(0, 40);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> highByte(0x80, 0xFF);
    for (int round = 0; round < 20000; ++round) {
        QByteArray bytes;
        const int n = len(rng);
        for (int k = 0; k < n; ++k)
            bytes.append(char(round % 2 ? highByte(rng) : byte(rng)));
        const QString text = decodeNativeName(bytes);
        ASSERT_EQ(encodeNativeName(text), bytes) << bytes.toHex().constData();
        // Decoding the same bytes again is stable (names compare as text).
        ASSERT_EQ(decodeNativeName(encodeNativeName(text)), text);
    }
}

TEST(NativeName, ShownNameReplacesOnlyForeignBytes) {
    // "caf\xE9 😀.txt": the Latin-1 byte shows as U+FFFD, the pair of surrogates stays.
    const QString name = decodeNativeName(QByteArray("caf\xE9 \xF0\x9F\x98\x80.txt"));
    EXPECT_TRUE(hasForeignBytes(name));
    EXPECT_EQ(shownName(name), QStringLiteral("caf\uFFFD 😀.txt"));
    EXPECT_FALSE(hasForeignBytes(QStringLiteral("比較 😀.txt")));
    EXPECT_EQ(shownName(QStringLiteral("比較 😀.txt")), QStringLiteral("比較 😀.txt"));
    // A high surrogate at the end, or one before another high surrogate, is lone too.
    EXPECT_EQ(shownName(QString::fromUtf16(u"a\xD800\xD800\xDC00")), QStringLiteral("a\uFFFD𐀀"));
    EXPECT_EQ(shownName(QString::fromUtf16(u"a\xD800")), QStringLiteral("a\uFFFD"));
}

TEST(NativeFiles, InvalidUtf8NameListedStatedAndRead) {
    QTemporaryDir dir;
    const QByteArray raw = sBytes({'n', 0x82, 0xA0, 0xFF, '.', 't', 'x', 't'});
    sCreateRaw(dir.path(), raw, "hello");
    sCreateRaw(dir.path(), ".hidden", "");

    QStringList names;
    ASSERT_TRUE(listFolder(dir.path(), [&](const QString &name) {
        names.append(name);
        return true;
    }));
    names.sort();
    ASSERT_EQ(names.size(), 2);
    EXPECT_EQ(names.at(0), QStringLiteral(".hidden"));
    EXPECT_EQ(encodeNativeName(names.at(1)), raw);

    const QString path = fJoinPath(dir.path(), names.at(1));
    NativeStat st;
    ASSERT_TRUE(nativeStat(path, &st));
    EXPECT_TRUE(st.exists);
    EXPECT_FALSE(st.isDir);
    EXPECT_EQ(st.size, 5u);
    EXPECT_TRUE(st.modified.isValid());
    EXPECT_EQ(readWholeFile(path, 100).bytes, QByteArray("hello"));
    ::unlink(encodeNativeName(path).constData()); // QTemporaryDir cannot remove it
}

TEST(NativeFiles, FailuresAreReported) {
    QTemporaryDir dir;
    for (int k = 0; k < 5; ++k)
        sCreateRaw(dir.path(), QByteArray::number(k), "");
    int seen = 0;
    EXPECT_TRUE(listFolder(dir.path(), [&](const QString &) { return ++seen < 2; }));
    EXPECT_EQ(seen, 2);
    EXPECT_FALSE(
        listFolder(dir.filePath(QStringLiteral("missing")), [](const QString &) { return true; }));
    EXPECT_EQ(openForRead(dir.path()), -1);
    EXPECT_EQ(errno, EISDIR);
    NativeStat st;
    st.exists = true;
    EXPECT_FALSE(nativeStat(dir.filePath(QStringLiteral("missing")), &st));
    EXPECT_FALSE(st.exists);
}
