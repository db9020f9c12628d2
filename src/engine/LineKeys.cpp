#include "engine/LineKeys.h"

#include "engine/GuardedMatching.h"
#include "engine/MinimalMatching.h"
#include "platform/Background.h"

#include <algorithm>

namespace {

bool isSpace(QChar c) {
    return c.isSpace(); // also the ideographic space U+3000
}

bool isWidthForm(char16_t c) {
    return (c >= 0xFF01 && c <= 0xFF5E) || (c >= 0xFF61 && c <= 0xFF9F) || c == 0x3000;
}

// Full-width ASCII and the ideographic space become ASCII; half-width katakana (with their
// separate voicing marks) become the usual katakana, as compatibility normalisation does, but
// nothing else of the line is touched.
QString foldWidth(const QString &line) {
    QString out;
    out.reserve(line.size());
    const qsizetype n = line.size();
    for (qsizetype k = 0; k < n;) {
        qsizetype from = k;
        while (k < n && !isWidthForm(line[k].unicode()))
            ++k;
        out.append(QStringView(line).mid(from, k - from));
        from = k;
        while (k < n && isWidthForm(line[k].unicode()))
            ++k;
        if (k > from)
            out += line.mid(from, k - from).normalized(QString::NormalizationForm_KC);
    }
    return out;
}

} // namespace

bool isBlankLine(const QString &line) {
    for (QChar c : line) {
        if (!isSpace(c))
            return false;
    }
    return true;
}

QString comparisonKey(const QString &line, const LineFolding &folding) {
    if (!folding.active())
        return line;
    const bool hasWidthForms =
        folding.width &&
        std::any_of(line.cbegin(), line.cend(), [](QChar c) { return isWidthForm(c.unicode()); });
    const QString source = hasWidthForms ? foldWidth(line) : line;
    // One pass over the characters folds space, kana and ASCII letter case; other letters
    // are case-folded as a whole afterwards, only when the line has any.
    const qsizetype n = source.size();
    QString key(n, Qt::Uninitialized);
    const char16_t *in = reinterpret_cast<const char16_t *>(source.constData());
    char16_t *const begin = reinterpret_cast<char16_t *>(key.data());
    char16_t *out = begin;
    const bool foldSpace = folding.space != LineFolding::KeepSpace;
    bool inSpace = false;
    bool nonAscii = false;
    for (qsizetype k = 0; k < n; ++k) {
        char16_t c = in[k];
        if (foldSpace && (c < 0x80 ? c == u' ' || (c >= u'\t' && c <= u'\r') : isSpace(QChar(c)))) {
            inSpace = true;
            continue;
        }
        // Some white space, whatever its amount, stays one space: present or not is still a
        // difference (also at the start of the line). Trailing white space is dropped.
        if (inSpace && folding.space == LineFolding::SpaceAmount)
            *out++ = u' ';
        inSpace = false;
        if (folding.kana && ((c >= 0x3041 && c <= 0x3096) || c == 0x309D || c == 0x309E))
            c = char16_t(c + 0x60);
        if (c >= 0x80)
            nonAscii = true;
        else if (folding.letterCase && c >= u'A' && c <= u'Z')
            c = char16_t(c + (u'a' - u'A'));
        *out++ = c;
    }
    key.truncate(out - begin);
    if (folding.letterCase && nonAscii)
        key = std::move(key).toCaseFolded();
    return key;
}

bool matchFoldedLines(const QStringList &left, const QStringList &right, const LineFolding &folding,
                      const MatchParams &params, bool minimal, PairTable &table,
                      const std::function<bool()> &shouldAbort,
                      const std::function<void(qint64, qint64)> &progress) {
    auto match = [&](const QStringList &l, const QStringList &r, PairTable &t) {
        return minimal ? matchLinesMinimal(l, r, t, shouldAbort, progress)
                       : matchLinesGuarded(l, r, params, t, shouldAbort, progress);
    };
    if (!folding.active())
        return match(left, right, table);
    QStringList keys[2];
    std::vector<int> source[2]; // line index of each key
    const QStringList *lines[2] = {&left, &right};
    auto buildKeys = [&](int side) {
        keys[side].reserve(lines[side]->size());
        for (int k = 0; k < int(lines[side]->size()); ++k) {
            const QString &line = (*lines[side])[k];
            if (folding.blankLines && isBlankLine(line))
                continue;
            keys[side] << comparisonKey(line, folding);
            source[side].push_back(k);
        }
    };
    // The two sides' keys are independent: one of them is built on a second core. A failure
    // on either thread reaches the caller once both have ended.
    Background::Half<void> rightKeys = Background::split([&] { buildKeys(1); });
    buildKeys(0);
    rightKeys.get();
    PairTable keyed;
    if (!match(keys[0], keys[1], keyed)) {
        table = keyed;
        return false;
    }
    if (!folding.blankLines) {
        table = std::move(keyed);
        return true;
    }
    // The blank lines go back before the first row that follows them on their side.
    int next[2] = {0, 0};
    auto flushBlanks = [&](int side, int until) {
        for (; next[side] < until; ++next[side]) {
            PairTable::Row row;
            (side == 0 ? row.left : row.right) = next[side];
            table.append(row);
        }
    };
    table = PairTable();
    table.reserve(size_t(left.size() + right.size()));
    for (int r = 1; r <= keyed.lastRow(); ++r) {
        PairTable::Row row = keyed.row(r);
        if (row.left >= 0)
            row.left = source[0][size_t(row.left)];
        if (row.right >= 0)
            row.right = source[1][size_t(row.right)];
        if (row.left >= 0)
            flushBlanks(0, row.left);
        if (row.right >= 0)
            flushBlanks(1, row.right);
        table.append(row);
        if (row.left >= 0)
            next[0] = row.left + 1;
        if (row.right >= 0)
            next[1] = row.right + 1;
    }
    flushBlanks(0, int(left.size()));
    flushBlanks(1, int(right.size()));
    return true;
}
