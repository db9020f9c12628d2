#pragma once

// The record layer of a legacy .xls workbook stream: records, their CONTINUE parts, and the
// strings inside them. Every read is checked against the bytes at hand; a read past them
// marks the reader failed and yields zeros or empty texts, never bytes from elsewhere.

#include <QByteArrayView>
#include <QList>
#include <QString>

namespace XlsRecord {
constexpr quint16 Formula = 0x0006;
// The id formula cells had before 1997; some writers still use it with the later layout.
constexpr quint16 FormulaOld = 0x0406;
constexpr quint16 Eof = 0x000A;
constexpr quint16 DateMode = 0x0022;
constexpr quint16 FilePass = 0x002F;
constexpr quint16 Continue = 0x003C;
constexpr quint16 BoundSheet = 0x0085;
constexpr quint16 MulRk = 0x00BD;
constexpr quint16 MulBlank = 0x00BE;
constexpr quint16 RString = 0x00D6;
constexpr quint16 Xf = 0x00E0;
constexpr quint16 Sst = 0x00FC;
constexpr quint16 LabelSst = 0x00FD;
constexpr quint16 Blank = 0x0201;
constexpr quint16 Number = 0x0203;
constexpr quint16 Label = 0x0204;
constexpr quint16 BoolErr = 0x0205;
constexpr quint16 String = 0x0207;
constexpr quint16 Rk = 0x027E;
constexpr quint16 Format = 0x041E;
constexpr quint16 Bof = 0x0809;
} // namespace XlsRecord

// One record: its type and its own bytes, plus those of the CONTINUE records that follow it.
struct XlsRecordData {
    quint16 type = 0;
    QList<QByteArrayView> parts; // the record's body first, then each CONTINUE body
};

// Walks the records of a stream from a given offset.
class XlsRecordReader {
public:
    explicit XlsRecordReader(QByteArrayView stream, qsizetype offset = 0)
        : m_stream(stream), m_pos(offset) {}

    // The next record with the CONTINUE records after it. False at the end of the stream, and
    // when a record's header or length runs past it (then damaged() is true).
    bool next(XlsRecordData *record);
    bool damaged() const { return m_damaged; }
    bool atEnd() const { return m_pos >= m_stream.size(); }
    // The offset of the next record.
    qsizetype position() const { return m_pos; }

private:
    bool header(quint16 *type, qsizetype *length) const;

    QByteArrayView m_stream;
    qsizetype m_pos;
    bool m_damaged = false;
};

// Reads little-endian numbers and strings across the parts of one record. A string whose
// characters run on into the next part starts that part with a fresh option byte, which
// says whether the rest is stored one byte or two bytes a character.
class XlsCursor {
public:
    explicit XlsCursor(const XlsRecordData &record) : m_parts(record.parts) {}
    explicit XlsCursor(QByteArrayView bytes) : m_parts{bytes} {}

    quint8 u8();
    quint16 u16();
    quint32 u32();
    double f64();
    void skip(qint64 count);
    QByteArray bytes(qsizetype count);
    // A string with a 16-bit (BIFF8 XLUnicodeString and the shared strings' entries) or
    // 8-bit (sheet names) character count, its rich-text runs and extra data skipped.
    QString string16();
    QString string8();

    bool ok() const { return m_ok; }
    // Bytes left in the record, over every part.
    qint64 remaining() const;

private:
    bool read(void *into, qsizetype count);
    QString string(quint32 count);
    QString characters(quint32 count, bool wide);

    QList<QByteArrayView> m_parts;
    qsizetype m_part = 0;
    qsizetype m_pos = 0;
    bool m_ok = true;
};

// A number from its 30-bit packed form in RK and MULRK records.
double xlsRkNumber(quint32 rk);

// The text of an error value's code ("#DIV/0!"); empty for a code no spreadsheet writes.
QString xlsErrorText(quint8 code);
