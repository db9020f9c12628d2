// Times the line matching of a text comparison with and without the check of its result
// against a minimal alignment (the guard), and the minimal alignment of Minimal=1, on two given
// files or on generated pairs:
//   build-dev/bench/matching_guard [LEFT RIGHT]
// Prints CPU seconds (of all threads) and the lines each result marks.
// The generated pairs: source-like lines as bench/compare_with_diff.sh makes them, a million
// against a copy with about 1 % of them changed, deleted or inserted, and the same pair with a
// block of 2,000 lines moved 100,000 lines down; then functions, whose repeated lines (braces,
// checks, calls) lead the anchor matching astray when a block moves: a million lines with 1 %
// edited and 20 blocks of 100 lines moved, and 8,000 lines with one block moved.
#include "encoding/Charset.h"
#include "engine/GuardedMatching.h"
#include "engine/LineMatching.h"
#include "engine/MinimalMatching.h"

#include <cstdio>
#include <ctime>
#include <random>

namespace {

// Mostly unique lines, with the blank lines and braces real files repeat.
QStringList generated(int lines, unsigned seed) {
    std::mt19937 random(seed);
    QStringList out;
    out.reserve(lines);
    for (int i = 1; i <= lines; ++i) {
        const unsigned r = random() % 100;
        if (r < 10)
            out << QString();
        else if (r < 15)
            out << QStringLiteral("    }");
        else if (r < 17)
            out << QStringLiteral("        return result;");
        else
            out << QStringLiteral(
                       "    value_%1 = compute(%2, \"record %1 of the generated text\");")
                       .arg(i)
                       .arg(i * 7);
    }
    return out;
}

// About 1 % of the lines changed, deleted or inserted, scattered.
QStringList edited(const QStringList &lines, unsigned seed) {
    std::mt19937 random(seed);
    QStringList out;
    out.reserve(lines.size() + lines.size() / 100);
    for (qsizetype k = 0; k < lines.size(); ++k) {
        const unsigned r = random() % 1000;
        if (r < 4) {
            out << lines[k] + QStringLiteral(" // changed");
            continue;
        }
        if (r < 7)
            continue;
        if (r < 10)
            out << QStringLiteral("    inserted_line(%1);").arg(k + 1);
        out << lines[k];
    }
    return out;
}

// Functions as a source file has them: statements of their own between lines that many
// functions repeat (braces, blank lines, checks, calls).
QStringList functions(int lines, unsigned seed) {
    std::mt19937 random(seed);
    QStringList out;
    out.reserve(lines + 64);
    for (int f = 0; out.size() < lines; ++f) {
        out << QStringLiteral("void Grid::function%1(int r) {").arg(f);
        if (random() % 2)
            out << QStringLiteral("    if (r < 0 || r >= m_rows)")
                << QStringLiteral("        throw std::out_of_range(\"row outside the grid\");");
        const int statements = 3 + int(random() % 20);
        for (int k = 0; k < statements; ++k) {
            const unsigned r = random() % 10;
            if (r < 6)
                out << QStringLiteral("    value_%1_%2 = compute(r, %2);").arg(f).arg(k);
            else if (r < 7)
                out << QStringLiteral("    for (int c = 0; c < m_cols; ++c) {")
                    << QStringLiteral("        cell(r, c).value_%1 = %2;").arg(f).arg(k)
                    << QStringLiteral("    }");
            else if (r < 8)
                out << QStringLiteral("    if (m_byteRows)")
                    << QStringLiteral("        toCells();");
            else if (r < 9)
                out << QString();
            else
                out << QStringLiteral("    changed();");
        }
        out << QStringLiteral("    changed();") << QStringLiteral("}") << QString();
    }
    return out;
}

// The lines with `count` lines from `from` moved `by` lines further down.
QStringList moved(const QStringList &lines, qsizetype from, qsizetype count, qsizetype by) {
    QStringList out = lines.mid(0, from);
    out += lines.mid(from + count, by);
    out += lines.mid(from, count);
    out += lines.mid(from + count + by);
    return out;
}

// CPU seconds of all threads: on a machine that other work keeps busy, the wall clock says little.
double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

const char *outcomeName(MatchingGuard::Report::Outcome outcome) {
    switch (outcome) {
    case MatchingGuard::Report::Kept:
        return "kept (counts)";
    case MatchingGuard::Report::Searched:
        return "kept (searched)";
    case MatchingGuard::Report::TooCostly:
        return "kept (too costly)";
    case MatchingGuard::Report::Replaced:
        return "replaced";
    }
    return "";
}

void measure(const char *name, const QStringList &leftLines, const QStringList &rightLines) {
    const LineViews left(leftLines), right(rightLines);
    const MatchParams params;
    std::printf("%s: %lld + %lld lines\n", name, qlonglong(left.size()), qlonglong(right.size()));
    double start = cpuSeconds();
    const LineIndex index(left, right, params);
    PairTable table;
    matchLines(index, params, table);
    const double anchor = cpuSeconds() - start;
    std::printf("  anchor matching        %7.3f s   marks %lld\n", anchor,
                qlonglong(markedLines(table, index.idsL(), index.idsR())));
    std::fflush(stdout);
    start = cpuSeconds();
    MatchingGuard::Report report;
    MatchingGuard::guardAgainstMinimal(index.idsL(), index.idsR(), table, {}, {}, &report);
    const double guard = cpuSeconds() - start;
    std::printf("  with the guard         %7.3f s   %s, marks %lld (guard +%.0f %%)\n",
                anchor + guard, outcomeName(report.outcome),
                qlonglong(markedLines(table, index.idsL(), index.idsR())),
                anchor > 0 ? 100.0 * guard / anchor : 0.0);
    std::fflush(stdout);
    // Minimal=1 searches without bounds: on lines shuffled every way it takes very long.
    start = cpuSeconds();
    std::vector<std::pair<int, int>> pairs;
    alignMinimal(index.idsL(), index.idsR(), {}, pairs);
    const double minimal = cpuSeconds() - start;
    std::printf("  minimal (Minimal=1)    %7.3f s   marks %lld\n", minimal,
                qlonglong(left.size() + right.size()) - 2 * qlonglong(pairs.size()));
}

} // namespace

int main(int argc, char **argv) {
    if (argc == 3) {
        // The lines point into the texts, which stay alive until the end.
        const QString leftText = LoadNormalizedText(QString::fromLocal8Bit(argv[1]));
        const QString rightText = LoadNormalizedText(QString::fromLocal8Bit(argv[2]));
        measure("given pair", LineViews::splitText(leftText).toList(),
                LineViews::splitText(rightText).toList());
        return 0;
    }
    if (argc != 1) {
        std::fprintf(stderr, "usage: matching_guard [LEFT RIGHT]\n");
        return 2;
    }
    const QStringList million = generated(1000000, 1);
    const QStringList millionEdited = edited(million, 2);
    measure("million lines, 1 % edited", million, millionEdited);
    measure("the same, 2,000 lines moved", million, moved(millionEdited, 400000, 2000, 100000));
    const QStringList code = functions(1000000, 4);
    QStringList codeMoved = edited(code, 5);
    for (qsizetype at = 20000; at < 980000; at += 50000)
        codeMoved = moved(codeMoved, at, 100, 150);
    measure("million lines of functions, 1 % edited, 20 blocks of 100 moved", code, codeMoved);
    const QStringList source = functions(8000, 3);
    for (int count : {30, 100, 300})
        measure(
            qPrintable(QStringLiteral("8,000 lines of functions, %1 moved 150 down").arg(count)),
            source, moved(source, 4000, count, 150));
    return 0;
}
