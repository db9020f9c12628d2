#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// The lines of a text as places in it, 8 bytes a line instead of a string of 24: all the
// matching and the grid fill need, so that a long text's line strings can go before either
// takes its memory. Lines that do not all lie in one text (made apart, or farther apart than
// 4 G characters) are kept as they are.
class LineViews {
public:
    LineViews() = default;
    explicit LineViews(const QStringList &lines);

    // The lines of a text, split at LF: a trailing line break yields a last, empty line; the
    // empty text yields no lines. With `dropCr`, a CR just before an LF goes too (the CR LF
    // pair is the break). The lines lie in `text`, which must stay alive and unchanged.
    static LineViews splitText(const QString &text, bool dropCr = false);
    // The lines as strings (over the text where they lie in one).
    QStringList toList() const;

    qsizetype size() const { return m_count; }
    // Line k over the characters where it lies (no copy; the text must stay alive).
    QString operator[](qsizetype k) const;
    // True when every line points into a text kept alive elsewhere.
    bool allShared() const { return m_base != nullptr || m_allShared; }

private:
    qsizetype m_count = 0;
    const QChar *m_base = nullptr; // the first line's start, when the lines lie in one text
    std::vector<quint32> m_start, m_length;
    QStringList m_lines; // otherwise the lines themselves
    bool m_allShared = false;
};
