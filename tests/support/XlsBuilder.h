#pragma once

// Legacy .xls workbooks built record by record (the layout the spreadsheet application writes:
// a globals substream, then one substream per sheet) inside a compound file written by libgsf.
// For cases no writer at hand produces: shared strings split over CONTINUE records, cached
// formula results of every kind, 1904 dates, damaged records.

#include "encoding/Charset.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QtEndian>

#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-stdio.h>

#include <bit>

namespace XlsBuilder {

inline QByteArray u16(quint16 v) {
    QByteArray b(2, '\0');
    qToLittleEndian(v, b.data());
    return b;
}
inline QByteArray u32(quint32 v) {
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}
inline QByteArray f64(double v) {
    QByteArray b(8, '\0');
    qToLittleEndian(std::bit_cast<quint64>(v), b.data());
    return b;
}
inline QByteArray record(quint16 type, const QByteArray &body) {
    return u16(type) + u16(quint16(body.size())) + body;
}
// Characters two bytes each (option byte 1), or one byte each when all are Latin-1.
inline QByteArray chars(const QString &s) {
    bool narrow = true;
    for (QChar c : s)
        narrow = narrow && c.unicode() < 0x100;
    if (narrow)
        return QByteArray(1, '\0') + s.toLatin1();
    QByteArray b(1, '\1');
    for (QChar c : s)
        b += u16(c.unicode());
    return b;
}
inline QByteArray string16(const QString &s) {
    return u16(quint16(s.size())) + chars(s);
}
inline QByteArray string8(const QString &s) {
    return QByteArray(1, char(s.size())) + chars(s);
}
inline QByteArray cellHead(int row, int col, int xf = 0) {
    return u16(quint16(row)) + u16(quint16(col)) + u16(quint16(xf));
}

// Cell records; rows and columns 0-based as the format stores them.
inline QByteArray number(int row, int col, double v, int xf = 0) {
    return record(0x0203, cellHead(row, col, xf) + f64(v));
}
inline QByteArray rk(int row, int col, quint32 packed, int xf = 0) {
    return record(0x027E, cellHead(row, col, xf) + u32(packed));
}
inline QByteArray label(int row, int col, const QString &s, int xf = 0) {
    return record(0x0204, cellHead(row, col, xf) + string16(s));
}
inline QByteArray labelSst(int row, int col, quint32 index, int xf = 0) {
    return record(0x00FD, cellHead(row, col, xf) + u32(index));
}
inline QByteArray boolErr(int row, int col, int value, bool isError) {
    return record(0x0205, cellHead(row, col) + char(value) + char(isError ? 1 : 0));
}
inline QByteArray blank(int row, int col, int xf = 0) {
    return record(0x0201, cellHead(row, col, xf));
}
// A formula (its expression: a reference to A1) with a cached result of eight bytes.
inline QByteArray formula(int row, int col, const QByteArray &result, int xf = 0) {
    const QByteArray expression = QByteArray("\x44\x00\x00\x00\xC0", 5); // tRefV A1
    return record(0x0006, cellHead(row, col, xf) + result + u16(0) + u32(0) +
                              u16(quint16(expression.size())) + expression);
}
inline QByteArray formulaNumber(int row, int col, double v, int xf = 0) {
    return formula(row, col, f64(v), xf);
}
// Kind 0 text (in a STRING record after it), 1 boolean, 2 error, 3 empty text.
inline QByteArray special(int kind, int value = 0) {
    return QByteArray(1, char(kind)) + '\0' + char(value) + QByteArray(3, '\0') + u16(0xFFFF);
}
inline QByteArray formulaText(int row, int col, const QString &s) {
    return formula(row, col, special(0)) + record(0x0207, string16(s));
}
inline QByteArray bof(quint16 kind, quint16 version = 0x0600) {
    return record(0x0809, u16(version) + u16(kind) + u16(0x0DBB) + u16(0x07CC) + u32(0) + u32(6));
}
// A text as the 1993-1997 format stores it: a count, then the bytes in the Shift_JIS code page.
inline QByteArray ansi16(const QString &s) {
    const QByteArray b = EncodeAnsi(s);
    return u16(quint16(b.size())) + b;
}
inline QByteArray ansi8(const QString &s) {
    const QByteArray b = EncodeAnsi(s);
    return QByteArray(1, char(b.size())) + b;
}
inline QByteArray eof() {
    return record(0x000A, QByteArray());
}

struct Book {
    QList<QPair<QString, QByteArray>> sheets; // name, cell records
    QList<QPair<quint16, QString>> formats;   // FORMAT records: number, text
    QList<quint16> xfFormats;                 // each XF record's format number
    QByteArray sharedStrings;                 // SST and CONTINUE records as they are written
    bool date1904 = false;
    QByteArray extraGlobals; // records placed before the sheet list
    bool biff5 = false;      // the 1993-1997 format, its texts in Shift_JIS
};

// An SST record holding the strings, in one record.
inline QByteArray sst(const QStringList &strings) {
    QByteArray body = u32(quint32(strings.size())) + u32(quint32(strings.size()));
    for (const QString &s : strings)
        body += string16(s);
    return record(0x00FC, body);
}

inline QByteArray workbookStream(const Book &book) {
    const quint16 version = book.biff5 ? 0x0500 : 0x0600;
    const auto name = [&](const QString &s) { return book.biff5 ? ansi8(s) : string8(s); };
    QByteArray head = bof(0x0005, version) + book.extraGlobals;
    if (book.biff5)
        head += record(0x0042, u16(932));
    if (book.date1904)
        head += record(0x0022, u16(1));
    for (const auto &[id, text] : book.formats)
        head += record(0x041E, u16(id) + (book.biff5 ? ansi8(text) : string16(text)));
    for (quint16 id : book.xfFormats)
        head += record(0x00E0, u16(0) + u16(id) + QByteArray(16, '\0'));
    QList<QByteArray> substreams;
    qsizetype listSize = 0;
    for (const auto &[sheetName, cells] : book.sheets) {
        substreams << bof(0x0010, version) + cells + eof();
        listSize += 4 + 6 + name(sheetName).size();
    }
    const QByteArray tail = book.sharedStrings + eof();
    qsizetype offset = head.size() + listSize + tail.size();
    QByteArray list;
    for (qsizetype i = 0; i < book.sheets.size(); ++i) {
        list += record(0x0085, u32(quint32(offset)) + '\0' + '\0' + name(book.sheets[i].first));
        offset += substreams[i].size();
    }
    return head + list + tail + substreams.join();
}

// Writes a compound file holding one stream of the given name.
inline bool writeCompound(const QString &path, const QByteArray &stream,
                          const char *name = "Workbook") {
    GError *error = nullptr;
    GsfOutput *out = gsf_output_stdio_new(QFile::encodeName(path).constData(), &error);
    if (!out) {
        g_clear_error(&error);
        return false;
    }
    GsfOutfile *ole = gsf_outfile_msole_new(out);
    GsfOutput *child = gsf_outfile_new_child(ole, name, FALSE);
    const bool written = gsf_output_write(child, size_t(stream.size()),
                                          reinterpret_cast<const guint8 *>(stream.constData())) &&
                         gsf_output_close(child);
    g_object_unref(child);
    const bool closed = gsf_output_close(GSF_OUTPUT(ole));
    g_object_unref(ole);
    g_object_unref(out);
    return written && closed;
}

inline bool write(const QString &path, const Book &book) {
    return writeCompound(path, workbookStream(book));
}

} // namespace XlsBuilder
