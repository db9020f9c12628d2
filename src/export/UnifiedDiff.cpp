#include "export/UnifiedDiff.h"

#include "platform/FileStamp.h"

#include <QDateTime>

#include <algorithm>

std::vector<qsizetype> lineStarts(const QByteArray &bytes) {
    std::vector<qsizetype> starts;
    const qsizetype n = bytes.size();
    if (n == 0)
        return starts;
    starts.push_back(0);
    for (qsizetype k = 0; k < n; ++k) {
        if (bytes[k] == '\r' && k + 1 < n && bytes[k + 1] == '\n')
            ++k;
        if (bytes[k] == '\r' || bytes[k] == '\n')
            starts.push_back(k + 1);
    }
    return starts;
}

std::optional<LineAlignment> alignmentFromTextGrid(const ResultGrid &fg, int leftLines,
                                                   int rightLines) {
    std::vector<PairTable::Row> shown;
    for (int r = fg.fixedRows(); r < fg.rows(); ++r) {
        const int left = fg.numberAt(r, 0), right = fg.numberAt(r, 2);
        if (left > 0 || right > 0)
            shown.push_back({left > 0 ? left - 1 : -1, right > 0 ? right - 1 : -1});
    }
    // The next line each side shows at or after a row bounds the gap before it.
    std::vector<int> nextLeft(shown.size() + 1, leftLines), nextRight(shown.size() + 1, rightLines);
    for (size_t k = shown.size(); k-- > 0;) {
        nextLeft[k] = shown[k].left >= 0 ? shown[k].left : nextLeft[k + 1];
        nextRight[k] = shown[k].right >= 0 ? shown[k].right : nextRight[k + 1];
    }
    LineAlignment rows;
    rows.reserve(size_t(std::max(leftLines, rightLines)));
    int nl = 0, nr = 0;
    const auto fillTo = [&](int toLeft, int toRight) {
        while (nl < toLeft && nr < toRight)
            rows.push_back({nl++, nr++});
        while (nl < toLeft)
            rows.push_back({nl++, -1});
        while (nr < toRight)
            rows.push_back({-1, nr++});
    };
    for (size_t k = 0; k < shown.size(); ++k) {
        const auto [left, right] = shown[k];
        if ((left >= 0 && (left < nl || left >= leftLines)) ||
            (right >= 0 && (right < nr || right >= rightLines)))
            return std::nullopt;
        // A row left out of the grid is a pair of equal lines: a one-sided row takes as many
        // lines before it from the other side as from its own.
        const int toLeft = left >= 0 ? left : std::min(nl + (right - nr), nextLeft[k + 1]);
        const int toRight = right >= 0 ? right : std::min(nr + (left - nl), nextRight[k + 1]);
        fillTo(toLeft, toRight);
        rows.push_back({left, right});
        if (left >= 0)
            nl = left + 1;
        if (right >= 0)
            nr = right + 1;
    }
    fillTo(leftLines, rightLines);
    return rows;
}

namespace {

// The lines of one side as the comparison split them.
struct SideLines {
    explicit SideLines(const QByteArray &b) : bytes(b), starts(lineStarts(b)) {}

    int count() const { return int(starts.size()); }
    qsizetype begin(int k) const { return starts[size_t(k)]; }
    qsizetype end(int k) const { return k + 1 < count() ? starts[size_t(k) + 1] : bytes.size(); }
    // A line that is a line of its own for patch, which breaks lines at LF alone: it begins
    // after an LF and ends with one (or with the file). A line ended by a lone CR is not.
    bool standsAlone(int k) const {
        const bool starts = begin(k) == 0 || bytes[begin(k) - 1] == '\n';
        const bool ends = end(k) == bytes.size() || bytes[end(k) - 1] == '\n';
        return starts && ends && end(k) > begin(k);
    }
    QByteArrayView view(int k) const {
        return QByteArrayView(bytes).sliced(begin(k), end(k) - begin(k));
    }

    const QByteArray &bytes;
    std::vector<qsizetype> starts;
};

// One line of the diff body: ' ' unchanged, '-' left only, '+' right only.
struct BodyLine {
    char mark;
    QByteArrayView text; // with its LF, if it has one
};

// The lines of bytes [from, to) as patch splits them, all marked alike.
void appendSplit(std::vector<BodyLine> &body, const QByteArray &bytes, qsizetype from, qsizetype to,
                 char mark) {
    while (from < to) {
        const qsizetype lf = bytes.indexOf('\n', from);
        const qsizetype end = lf < 0 || lf >= to ? to : lf + 1;
        body.push_back({mark, QByteArrayView(bytes).sliced(from, end - from)});
        from = end;
    }
}

// Every line of both files in order: the unchanged pairs of the alignment, and between two of
// them the changed block, its left lines before its right ones.
std::vector<BodyLine> bodyLines(const SideLines &left, const SideLines &right,
                                const std::optional<LineAlignment> &alignment) {
    std::vector<BodyLine> body;
    qsizetype doneL = 0, doneR = 0; // bytes written on each side
    if (alignment) {
        for (const PairTable::Row &row : *alignment) {
            if (row.left < 0 || row.right < 0 || row.left >= left.count() ||
                row.right >= right.count())
                continue;
            if (left.begin(row.left) < doneL || right.begin(row.right) < doneR)
                continue; // out of order: part of a changed block
            if (!left.standsAlone(row.left) || !right.standsAlone(row.right) ||
                left.view(row.left) != right.view(row.right))
                continue;
            appendSplit(body, left.bytes, doneL, left.begin(row.left), '-');
            appendSplit(body, right.bytes, doneR, right.begin(row.right), '+');
            body.push_back({' ', left.view(row.left)});
            doneL = left.end(row.left);
            doneR = right.end(row.right);
        }
    }
    appendSplit(body, left.bytes, doneL, left.bytes.size(), '-');
    appendSplit(body, right.bytes, doneR, right.bytes.size(), '+');
    return body;
}

// "-3,4" as diff writes a range: an empty range names the line before it.
QByteArray range(int before, int count) {
    if (count == 1)
        return QByteArray::number(before + 1);
    return QByteArray::number(count == 0 ? before : before + 1) + ',' + QByteArray::number(count);
}

void appendHunk(QByteArray &out, const std::vector<BodyLine> &body, size_t from, size_t to,
                int beforeL, int beforeR) {
    int countL = 0, countR = 0;
    for (size_t k = from; k < to; ++k) {
        countL += body[k].mark != '+';
        countR += body[k].mark != '-';
    }
    out += "@@ -" + range(beforeL, countL) + " +" + range(beforeR, countR) + " @@\n";
    for (size_t k = from; k < to; ++k) {
        out += body[k].mark;
        out += body[k].text;
        if (!body[k].text.endsWith('\n'))
            out += "\n\\ No newline at end of file\n";
    }
}

} // namespace

QByteArray unifiedDiff(const DiffSide &left, const DiffSide &right,
                       const std::optional<LineAlignment> &alignment, int context) {
    if (left.bytes == right.bytes)
        return {};
    const std::vector<BodyLine> body =
        bodyLines(SideLines(left.bytes), SideLines(right.bytes), alignment);
    QByteArray out = "--- " + left.label + "\n+++ " + right.label + '\n';
    const size_t n = body.size();
    const auto changed = [&](size_t k) { return body[k].mark != ' '; };
    int lineL = 0, lineR = 0; // lines of each side before body line `k`
    size_t k = 0;
    while (k < n) {
        size_t change = k;
        while (change < n && !changed(change))
            ++change;
        if (change == n)
            break;
        const size_t start = std::max(k, change >= size_t(context) ? change - context : 0);
        for (; k < start; ++k) {
            ++lineL;
            ++lineR;
        }
        // Changes whose contexts meet share a hunk.
        size_t end = change;
        for (;;) {
            while (end < n && changed(end))
                ++end;
            size_t next = end;
            while (next < n && !changed(next))
                ++next;
            if (next < n && next - end <= 2 * size_t(context)) {
                end = next;
                continue;
            }
            end = std::min(end + context, next);
            break;
        }
        appendHunk(out, body, start, end, lineL, lineR);
        for (; k < end; ++k) {
            lineL += body[k].mark != '+';
            lineR += body[k].mark != '-';
        }
    }
    return out;
}

QByteArray diffLabel(const QString &path, bool exists) {
    FileStamp stamp{QDateTime::fromSecsSinceEpoch(0, Qt::LocalTime), 0};
    if (exists)
        modificationStamp(path, &stamp);
    const QDateTime &when = stamp.local;
    const int nanoseconds = stamp.nanoseconds;
    const int offset = when.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    const QString text = when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) +
                         QStringLiteral(".%1 %2%3%4")
                             .arg(nanoseconds, 9, 10, QLatin1Char('0'))
                             .arg(QLatin1Char(offset < 0 ? '-' : '+'))
                             .arg(minutes / 60, 2, 10, QLatin1Char('0'))
                             .arg(minutes % 60, 2, 10, QLatin1Char('0'));
    const QByteArray name = exists ? encodeNativeName(path) : QByteArray("/dev/null");
    return name + '\t' + text.toLatin1();
}

bool looksBinary(const QByteArray &bytes) {
    return bytes.contains('\0');
}

QByteArray binaryFilesDiffer(const QString &left, const QString &right) {
    return "Binary files " + encodeNativeName(left) + " and " + encodeNativeName(right) +
           " differ\n";
}

QByteArray onlyIn(const QString &folder, const QString &name) {
    return "Only in " + encodeNativeName(folder) + ": " + encodeNativeName(name) + '\n';
}

QByteArray commonSubdirectories(const QString &left, const QString &right) {
    return "Common subdirectories: " + encodeNativeName(left) + " and " + encodeNativeName(right) +
           '\n';
}

namespace {

QByteArray kindWord(const NativeStat &st) {
    if (st.isDir)
        return "directory";
    return st.size == 0 ? "regular empty file" : "regular file";
}

} // namespace

QByteArray fileKindsDiffer(const QString &left, const NativeStat &leftStat, const QString &right,
                           const NativeStat &rightStat) {
    return "File " + encodeNativeName(left) + " is a " + kindWord(leftStat) + " while file " +
           encodeNativeName(right) + " is a " + kindWord(rightStat) + '\n';
}

QByteArray diffCommandLine(const QString &left, const QString &right) {
    return "diff -u " + encodeNativeName(left) + ' ' + encodeNativeName(right) + '\n';
}
