#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

// One line of a text read for a merge: its text, where its bytes lie in the file and how it
// ends. The last line of a file has no end when the file does not end in a line break; a
// file that ends in one has no empty line after it.
struct SourceLine {
    enum class End : quint8 { None, Lf, CrLf, Cr };

    QString text;
    qsizetype byteStart = 0; // its first byte in SourceText::bytes
    qsizetype textBytes = 0; // bytes of its text, its end not counted
    End end = End::Lf;
};

// A file's bytes as lines, in the encoding detected for it.
struct SourceText {
    QByteArray bytes;
    QString encoding;         // a name of DetectEncoding; empty for an empty file
    QByteArray byteOrderMark; // the mark the bytes begin with, if any
    std::vector<SourceLine> lines;
    SourceLine::End usualEnd = SourceLine::End::None; // the most common end (None: no breaks)
    // Every byte seven-bit and no escape: the bytes read alike as Shift_JIS, EUC-JP and UTF-8
    // (an empty file too).
    bool sevenBit = true;

    QByteArray lineBytes(const SourceLine &line) const {
        return bytes.mid(line.byteStart, line.textBytes);
    }
};

// Splits bytes into lines at every LF, CR LF and lone CR (in UTF-16 at those code units) and
// decodes each line on its own, so that every line keeps its bytes and its end. The bytes are
// read in `encoding`, or in the one detected for them when it is empty.
SourceText readSourceText(const QByteArray &bytes, const QString &encoding = {});

// The encodings to read three texts in: each one's detected encoding, except that a text
// taken for Shift_JIS, EUC-JP or UTF-7 whose bytes read alike in the encoding of the others
// is read in theirs: UTF-8 when any is taken for it and the bytes are valid UTF-8, else the
// first Shift_JIS or EUC-JP when the bytes are seven-bit. Detection looks only at a file's
// head and tail and guesses on plain ASCII, so revisions of one file would otherwise be read
// in different encodings and equal lines would differ.
void agreeOnEncodings(const QByteArray *const (&bytes)[3], QString (&encodings)[3]);

// Shift_JIS, EUC-JP and UTF-8 agree on seven-bit bytes.
bool isAsciiCompatible(const QString &encoding);

// The text in the named encoding, or nothing when the encoding cannot hold one of its
// characters (it would come back as another character).
std::optional<QByteArray> encodeText(const QString &encoding, const QString &text);

// A line end in the named encoding (None: no bytes).
QByteArray encodeEnd(const QString &encoding, SourceLine::End end);
