#include "engine/LineMatching.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// ---- A plain transcription of the matching: every pair visited, linear gap search. ----
// The indexed implementation must produce exactly the same table.

enum class Outcome { Fails, Qualifies, End };

Outcome plainRunTest(const QStringList &L, const QStringList &R, int i, int j,
                     const MatchParams &p) {
    const int nL = int(L.size()), nR = int(R.size());
    QString s;
    int k = 0;
    for (k = 0; k <= 99; ++k) {
        if (i + k > nL - 1 || j + k > nR - 1)
            break;
        if (L[i + k] != R[j + k])
            break;
        if (s.size() < p.MinRunChars)
            s += L[i + k];
        if (s.size() >= p.MinRunChars && k >= p.MinRunLines - 1)
            break;
    }
    if (i + k > nL - 1 || j + k > nR - 1)
        return Outcome::End;
    return L[i + k] == R[j + k] ? Outcome::Qualifies : Outcome::Fails;
}

std::vector<Candidate> plainFindAnchors(const QStringList &L, const QStringList &R, int lastL,
                                        int lastR, const MatchParams &p) {
    const int nL = int(L.size()), nR = int(R.size());
    std::vector<Candidate> list{{nL, nR}};
    bool notContiguous = false;
    bool endLeftMajor = false;
    for (int i = lastL + 1; i <= nL - 1 && !endLeftMajor; ++i) {
        for (int j = lastR + 1; j <= nR - 1; ++j) {
            if (i == lastL + 1 && j == lastR + 1) {
                list.clear();
                if (L[i] == R[j]) {
                    list.push_back({i, j});
                    return list;
                }
                notContiguous = true;
                continue;
            }
            const Outcome o = plainRunTest(L, R, i, j, p);
            if (o == Outcome::Fails)
                continue;
            if (o == Outcome::End)
                break; // the look from this line ends; the next line is looked from
            list.push_back({i, j});
            if (int(list.size()) >= p.MaxCandidates) {
                endLeftMajor = true;
                break;
            }
        }
        if (int(list.size()) >= p.MaxCandidates)
            break;
    }
    if (notContiguous) {
        for (int j = lastR + 1; j <= nR - 1; ++j) {
            for (int i = lastL + 1; i <= nL - 1; ++i) {
                const Outcome o = plainRunTest(L, R, i, j, p);
                if (o == Outcome::Fails)
                    continue;
                if (o == Outcome::End)
                    break;
                list.push_back({i, j});
                if (int(list.size()) >= 2 * p.MaxCandidates)
                    return list;
            }
            if (int(list.size()) >= 2 * p.MaxCandidates)
                break;
        }
    }
    return list;
}

PairTable plainMatch(const QStringList &L, const QStringList &R, const MatchParams &p) {
    const int nL = int(L.size()), nR = int(R.size());
    PairTable t;
    int lastL = -1, lastR = -1;
    while (lastL < nL - 1 || lastR < nR - 1) {
        const auto list = plainFindAnchors(L, R, lastL, lastR, p);
        int aL = nL, aR = nR;
        if (list.size() == 1) {
            aL = list[0].i;
            aR = list[0].j;
        } else {
            int best = -1;
            for (const auto &c : list) {
                const int d = (c.i - lastL) + (c.j - lastR);
                if (best < 0 || d < best) {
                    best = d;
                    aL = c.i;
                    aR = c.j;
                }
            }
        }
        while (aL - 1 > lastL && aR - 1 > lastR && L[aL - 1] == R[aR - 1]) {
            --aL;
            --aR;
        }
        const bool hasLeft = lastL + 1 <= aL - 1, hasRight = lastR + 1 <= aR - 1;
        auto place = [&](int base, int pos, int c) {
            const int r = base + (c - pos);
            while (t.lastRow() < r)
                t.append({});
            t.row(r).right = c;
        };
        if (hasLeft && hasRight) {
            int base = t.lastRow(), pos = lastR;
            for (int a = lastL + 1; a <= aL - 1; ++a) {
                int found = -1;
                for (int b = pos + 1; b <= aR - 1; ++b) {
                    if (L[a].size() > p.MinRunChars && R[b] == L[a]) {
                        found = b;
                        break;
                    }
                }
                if (found >= 0) {
                    for (int c = pos + 1; c <= found - 1; ++c)
                        place(base, pos, c);
                    t.append({a, found});
                    base = t.lastRow();
                    pos = found;
                } else {
                    t.append({a, -1});
                }
            }
            for (int c = pos + 1; c <= aR - 1; ++c)
                place(base, pos, c);
        } else if (hasLeft) {
            for (int a = lastL + 1; a <= aL - 1; ++a)
                t.append({a, -1});
        } else if (hasRight) {
            for (int c = lastR + 1; c <= aR - 1; ++c)
                t.append({-1, c});
        }
        if (aL <= nL - 1 && aR <= nR - 1)
            t.append({aL, aR});
        lastL = aL;
        lastR = aR;
    }
    return t;
}

// ---- Helpers ----

PairTable match(const QStringList &L, const QStringList &R) {
    PairTable t;
    EXPECT_TRUE(matchLines(L, R, MatchParams{}, t));
    return t;
}

// The table as readable text: "1 a | 1 a" per row, "-" for a missing side.
QStringList render(const PairTable &t, const QStringList &L, const QStringList &R) {
    QStringList out;
    for (int r = 1; r <= t.lastRow(); ++r) {
        const auto &row = t.row(r);
        const QString left =
            row.left < 0 ? QStringLiteral("-") : QString::number(row.left + 1) + ' ' + L[row.left];
        const QString right = row.right < 0 ? QStringLiteral("-")
                                            : QString::number(row.right + 1) + ' ' + R[row.right];
        out << left + " | " + right;
    }
    return out;
}

QStringList lines(std::initializer_list<const char *> xs) {
    QStringList out;
    for (const char *x : xs)
        out << QString::fromUtf8(x);
    return out;
}

} // namespace

TEST(LineMatching, IdenticalTextsPairLineByLine) {
    const QStringList a = lines({"one", "two", "", "three"});
    EXPECT_EQ(render(match(a, a), a, a),
              lines({"1 one | 1 one", "2 two | 2 two", "3  | 3 ", "4 three | 4 three"}));
}

TEST(LineMatching, ShortChangedLineLiesBesideItsReplacement) {
    const QStringList L = lines({"a", "b", "c"}), R = lines({"a", "X", "c"});
    EXPECT_EQ(render(match(L, R), L, R), lines({"1 a | 1 a", "2 b | 2 X", "3 c | 3 c"}));
}

TEST(LineMatching, EqualDistanceCandidatesTakeTheLeftMajorOneFirst) {
    const QStringList L = lines({"alpha line", "beta line", "gamma line", "delta line"});
    const QStringList R = lines({"alpha line", "NEW one", "gamma line", "beta line", "delta line"});
    EXPECT_EQ(
        render(match(L, R), L, R),
        lines({"1 alpha line | 1 alpha line", "- | 2 NEW one", "- | 3 gamma line",
               "2 beta line | 4 beta line", "3 gamma line | -", "4 delta line | 5 delta line"}));
}

TEST(LineMatching, WalkBackStopsAtThePreviousAnchor) {
    const QStringList L = lines({"X", "a"}), R = lines({"X", "b", "X", "a"});
    EXPECT_EQ(render(match(L, R), L, R), lines({"1 X | 1 X", "- | 2 b", "- | 3 X", "2 a | 4 a"}));
}

TEST(LineMatching, OneSideEmpty) {
    const QStringList none, three = lines({"x", "y", "z"});
    EXPECT_EQ(render(match(none, three), none, three), lines({"- | 1 x", "- | 2 y", "- | 3 z"}));
    EXPECT_EQ(render(match(three, none), three, none), lines({"1 x | -", "2 y | -", "3 z | -"}));
    EXPECT_EQ(match(none, none).lastRow(), 0);
}

TEST(LineMatching, LongMovedLineInGapPairsShortOnesOnlyLieSideBySide) {
    // "moved line" (10 chars) moved inside a gap pairs with its right copy; "ab" does not.
    const QStringList L = lines({"head line", "ab", "moved line", "cd", "tail line"});
    const QStringList R = lines({"head line", "zz", "yy", "moved line", "tail line"});
    EXPECT_EQ(render(match(L, R), L, R),
              lines({"1 head line | 1 head line", "2 ab | 2 zz", "- | 3 yy",
                     "3 moved line | 4 moved line", "4 cd | -", "5 tail line | 5 tail line"}));
}

TEST(LineMatching, TrailingEmptyLineIsALeftOnlyRow) {
    const QStringList L = lines({"same text", ""}), R = lines({"same text"});
    EXPECT_EQ(render(match(L, R), L, R), lines({"1 same text | 1 same text", "2  | -"}));
}

TEST(LineMatching, ABlankLineMeetingTheLastEmptyLineStillFindsTheNearestAnchor) {
    // Both texts end in a line break (an empty last line). After "line one" the right side has
    // an insertion and lacks "line two"; the left blank line's run test meets the empty last
    // line and reaches the end. The scan goes on from the next line and pairs the "close" lines
    // (each long enough to be a run of its own) near by, instead of taking a far pair of the
    // right-major scan, a blank line and "close" further down, and leaving the rest unpaired.
    QStringList L = lines({"line one", "", "line two", "close"});
    QStringList R = lines({"line one", "inserted", "", "close"});
    for (int k = 0; k < 30; ++k) {
        const QString body = QStringLiteral("body line %1").arg(k);
        L << body << QString() << QStringLiteral("close");
        R << body << QString() << QStringLiteral("close");
    }
    L << QString();
    R << QString();
    const QStringList rows = render(match(L, R), L, R);
    EXPECT_EQ(rows.mid(0, 5),
              lines({"1 line one | 1 line one", "2  | 2 inserted", "3 line two | 3 ",
                     "4 close | 4 close", "5 body line 0 | 5 body line 0"}));
    EXPECT_EQ(rows.size(), L.size());
}

TEST(LineMatching, AbortIsAskedEveryFiftyIterations) {
    QStringList a;
    for (int k = 0; k < 120; ++k)
        a << QString::number(k);
    int asked = 0;
    PairTable t;
    EXPECT_FALSE(matchLines(a, a, MatchParams{}, t, [&] { return ++asked == 2; }));
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(t.lastRow(), 100);
}

// The indexed search must give exactly the table of the plain scan over all pairs.
TEST(LineMatching, IndexedMatchingEqualsPlainScanOnRandomInputs) {
    std::mt19937 rng(20261207);
    const QStringList alphabet = lines({"", "a", "bb", "abcde", "abcdef", "same line here", "x",
                                        "   ", "another longer line", "}"});
    for (int round = 0; round < 4000; ++round) {
        // Small alphabets give many duplicates; some rounds use only short lines, so that
        // runs must collect characters over several lines, or long runs of empty lines.
        int alpha = 1 + int(rng() % unsigned(alphabet.size()));
        int lenL = int(rng() % 30), lenR = int(rng() % 30);
        int first = 0;
        if (round % 4 == 1) {
            // Longer texts of a few long lines: many candidates, so the scan limits decide.
            first = 3;
            alpha = 2 + int(rng() % 3);
            lenL = int(rng() % 90);
            lenR = int(rng() % 90);
        }
        QStringList L, R;
        for (int k = 0; k < lenL; ++k)
            L << alphabet[first + int(rng() % unsigned(alpha))];
        if (round % 3 == 0) {
            // An edited copy: long equal runs with scattered changes.
            R = L;
            for (int e = int(rng() % 4); e > 0 && !R.isEmpty(); --e) {
                const int at = int(rng() % unsigned(R.size()));
                switch (rng() % 3) {
                case 0:
                    R.removeAt(at);
                    break;
                case 1:
                    R.insert(at, alphabet[int(rng() % unsigned(alphabet.size()))]);
                    break;
                default:
                    R[at] = alphabet[int(rng() % unsigned(alphabet.size()))];
                }
            }
        } else {
            for (int k = 0; k < lenR; ++k)
                R << alphabet[first + int(rng() % unsigned(alpha))];
        }
        if (round % 5 == 0) {
            L << QString();
            R << QString(); // texts ending in a line break
        }
        MatchParams p;
        if (round % 7 == 0)
            p = MatchParams{2, 3, 4};
        PairTable fast;
        ASSERT_TRUE(matchLines(L, R, p, fast));
        const PairTable plain = plainMatch(L, R, p);
        ASSERT_EQ(render(fast, L, R), render(plain, L, R))
            << "round " << round << "\nL=" << L.join('/').toStdString()
            << "\nR=" << R.join('/').toStdString();
    }
}

TEST(LineMatching, EmptyLineRunsQualifyOnlyAfterOneHundredOneEqualPairs) {
    // 120 empty lines on both sides after a different first line: found by a scan, the run of
    // empty lines collects no characters, so it needs 101 equal pairs to qualify.
    QStringList L{QStringLiteral("left start")}, R{QStringLiteral("right start")};
    for (int k = 0; k < 120; ++k) {
        L << QString();
        R << QString();
    }
    L << QStringLiteral("end");
    R << QStringLiteral("end");
    PairTable fast;
    ASSERT_TRUE(matchLines(L, R, MatchParams{}, fast));
    EXPECT_EQ(render(fast, L, R), render(plainMatch(L, R, MatchParams{}), L, R));
    const LineIndex x(L, R, MatchParams{});
    const auto list = fFindAnchors(x, -1, -1, MatchParams{});
    ASSERT_FALSE(list.empty());
    EXPECT_EQ(list.front(), (Candidate{1, 1}));
}
