#pragma once

#include "platform/FileStamp.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

// How a line ends in the file: the last line of a text has no end (it is what follows the
// last line break, empty when the text ends in one).
enum class LineEnd : quint8 { None, Lf, CrLf, Cr };

// One line of a side being edited: its text and its end, and, for as long as it is the line
// that was read, where its bytes lie in the file, so that saving writes them back unchanged.
struct EditLine {
    QString text;
    LineEnd end = LineEnd::Lf;
    qint64 byteStart = -1; // its first byte in EditableText::original(); -1: edited or new
    qint32 textBytes = 0;  // bytes of its text, then ...
    qint8 endBytes = 0;    // ... bytes of its end

    bool isOriginal() const { return byteStart >= 0; }
};

// The file behind a side as it was when the side read it or last saved it: saving tells from it
// whether someone changed the file meanwhile, and writes in its encoding.
struct SideFile {
    QString path;           // absolute; empty when no file is behind the side
    qint64 size = -1;       // bytes
    FileStamp modified;     // modification time
    size_t contentHash = 0; // of all its bytes (see contentHash())
    // The encoding and the mark saving writes in: those the side was read in, until it is
    // saved in another (the lines' original bytes stay in the encoding they were read in).
    QString encoding;
    QByteArray byteOrderMark;
};

// One side of a text comparison as an editable sequence of lines. The lines are the ones the
// comparison shows (the text split at its line breaks, a last line after the last break), each
// keeping its own end; lines read from a file also keep their place in the file's bytes until
// they are edited.
class EditableText {
public:
    EditableText() = default;
    // Lines with no file behind them (clipboard text, a document's or a page's text): every
    // line counts as new; lines end in `usualEnd`.
    static EditableText fromLines(const QStringList &lines, LineEnd usualEnd = LineEnd::Lf);

    qsizetype lineCount() const { return qsizetype(m_lines.size()); }
    const EditLine &line(qsizetype k) const { return m_lines[size_t(k)]; }
    const std::vector<EditLine> &lines() const { return m_lines; }
    // The lines' texts, as the comparison reads them.
    QStringList texts() const;

    // Replaces `count` lines from `first` by `lines` and gives back the lines taken out: put
    // back with replace(first, lines.size(), taken), they restore the side exactly, their
    // original bytes included.
    std::vector<EditLine> replace(qsizetype first, qsizetype count, std::vector<EditLine> lines);
    // A line the user wrote: no original bytes, the side's usual end.
    EditLine newLine(const QString &text) const;

    // The end new lines take: the file's most common one (LF for a text without a break).
    LineEnd usualEnd() const { return m_usualEnd; }
    void setUsualEnd(LineEnd end) { m_usualEnd = end; }

    // The bytes the lines were read from (empty for lines without a file), the encoding name
    // they were decoded by (a name decodeByName knows) and the byte-order mark they began with.
    const QByteArray &original() const { return m_original; }
    QString encoding() const { return m_encoding; }
    QByteArray byteOrderMark() const { return m_byteOrderMark; }
    void setSource(const QByteArray &original, const QString &encoding, const QByteArray &mark) {
        m_original = original;
        m_encoding = encoding;
        m_byteOrderMark = mark;
    }

    // The file behind the side (empty path for lines without a file).
    const SideFile &file() const { return m_file; }
    void setFile(SideFile file) { m_file = std::move(file); }

private:
    std::vector<EditLine> m_lines;
    LineEnd m_usualEnd = LineEnd::Lf;
    QByteArray m_original;
    QString m_encoding;
    QByteArray m_byteOrderMark;
    SideFile m_file;

    friend class EditableTextBuilder;
};

// Fills an EditableText line by line (the file reader uses it).
class EditableTextBuilder {
public:
    void reserve(qsizetype lines) { m_text.m_lines.reserve(size_t(lines)); }
    void append(EditLine line) { m_text.m_lines.push_back(std::move(line)); }
    EditableText &text() { return m_text; }
    EditableText take() { return std::move(m_text); }

private:
    EditableText m_text;
};
