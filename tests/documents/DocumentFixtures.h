#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QPair>
#include <QString>

#include <gtest/gtest.h>
#include <zip.h>

#include <ostream>

// Failures print texts as text.
inline void PrintTo(const QString &s, std::ostream *os) {
    *os << '"' << s.toStdString() << '"';
}

// Packages for the document tests, made in the test: well-formed ones through libzip, hostile
// ones (zip bombs with true or false sizes) byte by byte.
namespace DocumentFixtures {

using Entries = QList<QPair<QString, QByteArray>>;

enum class Method { Deflate, Store };

// Writes a zip package with libzip. A password encrypts every entry (traditional PKWARE).
inline void writeZip(const QString &path, const Entries &entries, Method method = Method::Deflate,
                     const char *password = nullptr) {
    int code = 0;
    zip_t *zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    ASSERT_NE(zip, nullptr) << code;
    for (const auto &[name, data] : entries) {
        zip_source_t *src = zip_source_buffer(zip, data.constData(), zip_uint64_t(data.size()), 0);
        ASSERT_NE(src, nullptr);
        const zip_int64_t index =
            zip_file_add(zip, name.toUtf8().constData(), src, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
        ASSERT_GE(index, 0) << zip_strerror(zip);
        zip_set_file_compression(zip, zip_uint64_t(index),
                                 method == Method::Store ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 0);
        if (password) {
            ASSERT_EQ(
                zip_file_set_encryption(zip, zip_uint64_t(index), ZIP_EM_TRAD_PKWARE, password), 0);
        }
    }
    ASSERT_EQ(zip_close(zip), 0);
}

inline void put16(QByteArray &b, quint32 v) {
    b.append(char(v & 0xff)).append(char((v >> 8) & 0xff));
}
inline void put32(QByteArray &b, quint32 v) {
    put16(b, v & 0xffff);
    put16(b, v >> 16);
}

// A one-entry zip archive written by hand, so that the sizes it declares can be false.
inline QByteArray rawZip(const QByteArray &name, const QByteArray &compressed, quint32 declaredSize,
                         quint16 method = 8, quint32 crc = 0) {
    QByteArray out;
    put32(out, 0x04034b50);
    put16(out, 20);
    put16(out, 0);
    put16(out, method);
    put16(out, 0);
    put16(out, 0x21); // 1980-01-01
    put32(out, crc);
    put32(out, quint32(compressed.size()));
    put32(out, declaredSize);
    put16(out, quint16(name.size()));
    put16(out, 0);
    out += name;
    out += compressed;
    const quint32 central = quint32(out.size());
    put32(out, 0x02014b50);
    put16(out, 20);
    put16(out, 20);
    put16(out, 0);
    put16(out, method);
    put16(out, 0);
    put16(out, 0x21);
    put32(out, crc);
    put32(out, quint32(compressed.size()));
    put32(out, declaredSize);
    put16(out, quint16(name.size()));
    put16(out, 0);
    put16(out, 0);
    put16(out, 0);
    put16(out, 0);
    put32(out, 0);
    put32(out, 0);
    out += name;
    const quint32 centralSize = quint32(out.size()) - central;
    put32(out, 0x06054b50);
    put16(out, 0);
    put16(out, 0);
    put16(out, 1);
    put16(out, 1);
    put32(out, centralSize);
    put32(out, central);
    put16(out, 0);
    return out;
}

// A raw deflate stream of 1 + 258 * matches zero bytes: one literal zero, then back-references
// of length 258 at distance 1, in one block of fixed Huffman codes: 13 bits per 258 bytes.
inline QByteArray zeroBomb(qint64 matches) {
    QByteArray out;
    quint32 acc = 0;
    int used = 0;
    const auto bits = [&](quint32 value, int count) {
        acc |= value << used;
        used += count;
        while (used >= 8) {
            out.append(char(acc & 0xff));
            acc >>= 8;
            used -= 8;
        }
    };
    // Huffman codes go most significant bit first.
    const auto code = [&](quint32 value, int length) {
        quint32 reversed = 0;
        for (int i = 0; i < length; ++i)
            reversed |= ((value >> i) & 1u) << (length - 1 - i);
        bits(reversed, length);
    };
    out.reserve(qsizetype(matches * 13 / 8 + 16));
    bits(1, 1);    // final block
    bits(1, 2);    // fixed Huffman codes
    code(0x30, 8); // literal 0
    for (qint64 i = 0; i < matches; ++i) {
        code(0xC5, 8); // length 258 (symbol 285)
        code(0, 5);    // distance 1
    }
    code(0, 7); // end of block
    if (used > 0)
        out.append(char(acc & 0xff));
    return out;
}

inline quint32 crc32(const QByteArray &data) {
    quint32 crc = 0xffffffffu;
    for (const char c : data) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline QByteArray wordDocument(const QByteArray &body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
           "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
           "xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\">"
           "<w:body>" +
           body + "<w:sectPr/></w:body></w:document>";
}

inline QByteArray odfContent(const QByteArray &body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<office:document-content "
           "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
           "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
           "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
           "xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\" "
           "xmlns:svg=\"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0\" "
           "office:version=\"1.2\"><office:body><office:text>" +
           body + "</office:text></office:body></office:document-content>";
}

inline const QByteArray ContentTypes =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Types "
    "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>";

// A .docx package around a document part.
inline Entries docxEntries(const QByteArray &documentXml) {
    return {{QStringLiteral("[Content_Types].xml"), ContentTypes},
            {QStringLiteral("word/document.xml"), documentXml}};
}

inline Entries odtEntries(const QByteArray &contentXml) {
    return {{QStringLiteral("mimetype"), "application/vnd.oasis.opendocument.text"},
            {QStringLiteral("content.xml"), contentXml}};
}

// Entity declarations that expand to 10^9 copies of "lol".
inline const QByteArray BillionLaughs =
    "<!DOCTYPE lolz [\n"
    " <!ENTITY lol \"lol\">\n"
    " <!ENTITY lol1 \"&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;\">\n"
    " <!ENTITY lol2 \"&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;\">\n"
    " <!ENTITY lol3 \"&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;\">\n"
    " <!ENTITY lol4 \"&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;\">\n"
    " <!ENTITY lol5 \"&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;\">\n"
    " <!ENTITY lol6 \"&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;\">\n"
    " <!ENTITY lol7 \"&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;\">\n"
    " <!ENTITY lol8 \"&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;\">\n"
    " <!ENTITY lol9 \"&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;\">\n"
    "]>\n";

} // namespace DocumentFixtures
