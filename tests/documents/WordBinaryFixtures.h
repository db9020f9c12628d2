#pragma once

// Word 97–2003 documents (.doc) written for the tests: an OLE compound file (through libgsf)
// with a WordDocument stream (file information block, the pieces of text, one page of paragraph
// properties) and a table stream (the piece table and the bin table of that page). No word
// processor is at hand, so the layout follows the published format description.

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-utils.h>

#include <algorithm>

namespace WordBinaryFixtures {

// A piece of the story's text; \r ends a paragraph, \a (0x07) ends a cell, \x13 \x14 \x15
// delimit fields. rowEnd marks the \a characters (by index in the piece) that end a row.
// deleted marks the piece's text as a tracked deletion; symbol gives every "(" of it the
// character of that code in the font table's first font, Symbol.
struct Piece {
    QString text;
    bool eightBit = false;
    QList<int> rowEnds;
    bool deleted = false;
    quint16 symbol = 0;
};

struct DocOptions {
    quint16 nFib = 0x00C1;
    quint16 flags = 0x1200;     // the 1Table stream, extended characters
    bool storeBackwards = true; // pieces stored in reverse order, as after a fast save
    int cutStreamAt = -1;       // truncate the WordDocument stream (damage)
    bool withTable = true;
    bool lowerCaseNames = false; // streams named "worddocument", "1table" as some writers do
};

inline void put8(QByteArray &b, qint64 at, quint8 v) {
    if (b.size() < at + 1)
        b.resize(at + 1, '\0');
    b[qsizetype(at)] = char(v);
}
inline void put16(QByteArray &b, qint64 at, quint16 v) {
    put8(b, at, v & 0xff);
    put8(b, at + 1, v >> 8);
}
inline void put32(QByteArray &b, qint64 at, quint32 v) {
    put16(b, at, v & 0xffff);
    put16(b, at + 2, v >> 16);
}
inline void append32(QByteArray &b, quint32 v) {
    put32(b, b.size(), v);
}

inline bool writeOle(const QString &path, const QList<QPair<const char *, QByteArray>> &streams) {
    gsf_init();
    GError *error = nullptr;
    GsfOutput *sink = gsf_output_stdio_new(QFile::encodeName(path).constData(), &error);
    if (!sink)
        return false;
    GsfOutfile *ole = gsf_outfile_msole_new(sink);
    for (const auto &[name, data] : streams) {
        GsfOutput *child = gsf_outfile_new_child(ole, name, FALSE);
        gsf_output_write(child, size_t(data.size()),
                         reinterpret_cast<const guint8 *>(data.constData()));
        gsf_output_close(child);
        g_object_unref(child);
    }
    gsf_output_close(GSF_OUTPUT(ole));
    g_object_unref(ole); // closing the container closed the file too
    g_object_unref(sink);
    return true;
}

// Writes the document and returns whether it could.
inline bool writeDoc(const QString &path, const QList<Piece> &pieces,
                     const DocOptions &options = DocOptions()) {
    constexpr qint64 TextStart = 1024;
    QByteArray word(TextStart, '\0');
    put16(word, 0, 0xA5EC);
    put16(word, 2, options.nFib);
    put16(word, 0x0A, options.flags);
    put16(word, 32, 14);  // 16-bit values
    put16(word, 62, 22);  // 32-bit values, from 64
    put16(word, 152, 93); // (offset, length) pairs, from 154
    qint64 cpTotal = 0;
    for (const Piece &p : pieces)
        cpTotal += p.text.size();
    put32(word, 64 + 12, quint32(cpTotal));

    // The text, and where each piece and each row mark landed.
    QList<quint32> rawFc(pieces.size());
    QList<quint32> pieceEnd(pieces.size());
    QList<QPair<quint32, int>> rowMarks; // byte offset, size
    QList<int> order;
    for (int i = 0; i < pieces.size(); ++i)
        order << i;
    if (options.storeBackwards)
        std::reverse(order.begin(), order.end());
    for (const int i : std::as_const(order)) {
        const Piece &p = pieces[i];
        const qint64 at = word.size();
        if (p.eightBit) {
            word += p.text.toLatin1();
            rawFc[i] = quint32(at * 2) | 0x40000000u;
        } else {
            for (const QChar c : p.text)
                put16(word, word.size(), c.unicode());
            rawFc[i] = quint32(at);
        }
        for (const int k : p.rowEnds)
            rowMarks.append({quint32(at + (p.eightBit ? k : 2 * k)), p.eightBit ? 1 : 2});
        pieceEnd[i] = quint32(word.size());
    }
    const quint32 textEnd = quint32(word.size());
    std::sort(rowMarks.begin(), rowMarks.end());

    // One page of paragraph properties: row marks carry the row-end property, after a table
    // definition whose variable length must be stepped over.
    const qint64 page = (word.size() + 511) / 512 * 512;
    word.resize(page + 512, '\0');
    QList<quint32> bounds{quint32(TextStart)};
    QList<quint8> offsets;
    for (const auto &[fc, size] : std::as_const(rowMarks)) {
        if (fc > bounds.last()) {
            bounds << fc;
            offsets << 0;
        }
        bounds << fc + quint32(size);
        offsets << 0xE0;
    }
    if (textEnd > bounds.last()) {
        bounds << textEnd;
        offsets << 0;
    }
    const int runs = int(offsets.size());
    for (int i = 0; i <= runs; ++i)
        put32(word, page + 4 * i, bounds[i]);
    for (int i = 0; i < runs; ++i)
        put8(word, page + 4 * (runs + 1) + 13 * i, offsets[i]);
    put8(word, page + 511, quint8(runs));
    const QByteArray papx = QByteArray::fromHex("09"
                                                "0000"
                                                "08d6"
                                                "0600"
                                                "0102030405"
                                                "162401"
                                                "172401");
    for (int i = 0; i < papx.size(); ++i)
        put8(word, page + 2 * 0xE0 + i, quint8(papx[i]));

    // One page of character properties: a run per piece, those deleted or with a symbol
    // pointing at their own properties, stored from the page's end down.
    const qint64 charPage = page + 512;
    word.resize(charPage + 512, '\0');
    {
        QList<int> stored = order;
        std::sort(stored.begin(), stored.end(),
                  [&](int a, int b) { return pieceEnd[a] < pieceEnd[b]; });
        const int runs = int(stored.size());
        qint64 props = 0x1F8;
        for (int r = 0; r < runs; ++r) {
            const Piece &p = pieces[stored[r]];
            const quint32 first = (rawFc[stored[r]] & 0x40000000u)
                                      ? (rawFc[stored[r]] & 0x3FFFFFFF) / 2
                                      : rawFc[stored[r]];
            put32(word, charPage + 4 * r, first);
            put32(word, charPage + 4 * (r + 1), pieceEnd[stored[r]]);
            if (!p.deleted && !p.symbol)
                continue;
            QByteArray grpprl;
            if (p.deleted)
                grpprl += QByteArray::fromHex("000801");
            if (p.symbol)
                grpprl +=
                    QByteArray::fromHex("096a0000") + char(p.symbol & 0xff) + char(p.symbol >> 8);
            props -= 2 + grpprl.size() + (grpprl.size() % 2 ? 1 : 0);
            put8(word, charPage + 4 * (runs + 1) + r, quint8(props / 2));
            put8(word, charPage + props, quint8(grpprl.size()));
            for (int k = 0; k < grpprl.size(); ++k)
                put8(word, charPage + props + 1 + k, quint8(grpprl[k]));
        }
        put8(word, charPage + 511, quint8(runs));
    }

    // The table stream: a property block, the piece table, then the bin table.
    QByteArray table;
    table += QByteArray::fromHex("01"
                                 "0200"
                                 "0000");
    table += char(0x02);
    append32(table, quint32(4 * (pieces.size() + 1) + 8 * pieces.size()));
    quint32 cp = 0;
    for (const Piece &p : pieces) {
        append32(table, cp);
        cp += quint32(p.text.size());
    }
    append32(table, cp);
    for (int i = 0; i < pieces.size(); ++i) {
        table += QByteArray(2, '\0');
        append32(table, rawFc[i]);
        table += QByteArray(2, '\0');
    }
    const qint64 clxLength = table.size();
    const qint64 bteAt = table.size();
    append32(table, quint32(TextStart));
    append32(table, textEnd);
    append32(table, quint32(page / 512));
    const qint64 chpxAt = table.size();
    append32(table, quint32(TextStart));
    append32(table, textEnd);
    append32(table, quint32(charPage / 512));
    // The font table: Symbol, then a text font.
    const qint64 fontsAt = table.size();
    table += QByteArray::fromHex("02000000");
    for (const QString &font : {QStringLiteral("Symbol"), QStringLiteral("Times New Roman")}) {
        QByteArray entry(39, '\0');
        for (const QChar c : font)
            entry += char(c.unicode()) + QByteArray(1, '\0');
        entry += QByteArray(2, '\0');
        table += char(entry.size()) + entry;
    }
    constexpr qint64 Pairs = 154;
    put32(word, Pairs + 8 * 12, quint32(chpxAt));
    put32(word, Pairs + 8 * 12 + 4, 12);
    put32(word, Pairs + 8 * 15, quint32(fontsAt));
    put32(word, Pairs + 8 * 15 + 4, quint32(table.size() - fontsAt));
    put32(word, Pairs + 8 * 33, 0);
    put32(word, Pairs + 8 * 33 + 4, quint32(clxLength));
    if (options.withTable) {
        put32(word, Pairs + 8 * 13, quint32(bteAt));
        put32(word, Pairs + 8 * 13 + 4, 12);
    }
    if (options.cutStreamAt >= 0)
        word.truncate(options.cutStreamAt);
    const bool lower = options.lowerCaseNames;
    const char *tableName =
        (options.flags & 0x0200) ? (lower ? "1table" : "1Table") : (lower ? "0table" : "0Table");
    return writeOle(path, {{lower ? "worddocument" : "WordDocument", word}, {tableName, table}});
}

} // namespace WordBinaryFixtures
