#pragma once

#include "engine/LineViews.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// Tuning of the line matching; every comparison uses 1, 5, 10.
struct MatchParams {
    int MinRunLines = 1;    // an anchor's run holds at least this many lines
    int MinRunChars = 5;    // ... and this many characters; inside a gap only longer lines pair
    int MaxCandidates = 10; // left-major scan stops at this many, both scans at twice as many
};

// A place where a run of equal lines begins on both sides (0-based line indexes).
struct Candidate {
    int i;
    int j;
    bool operator==(const Candidate &) const = default;
};

// The rows the matching produces. Row 0 exists and stays empty, so that table row r becomes
// grid row r. A row holds at most one left and one right line, kept as 0-based indexes into
// the line arrays (-1: no line on that side); the texts come from the arrays.
class PairTable {
public:
    struct Row {
        int left = -1;
        int right = -1;
        bool operator==(const Row &) const = default;
    };

    PairTable() : m_rows(1) {}

    // Number of the last row (0 when the table holds only its empty row 0).
    int lastRow() const { return int(m_rows.size()) - 1; }
    const Row &row(int r) const { return m_rows[size_t(r)]; }
    Row &row(int r) { return m_rows[size_t(r)]; }
    void append(Row row) { m_rows.push_back(row); }
    void reserve(size_t n) { m_rows.reserve(n + 1); }
    const std::vector<Row> &rows() const { return m_rows; }

private:
    std::vector<Row> m_rows;
};

// Both line arrays with every line replaced by a small integer id (equal lines, equal ids) and
// the positions of each id on each side, so that the look-ahead visits only pairs that can
// start a run, in the order in which a plain scan over all pairs would meet them.
//
// The run test at a pair of equal lines collects lines until they hold enough characters; that
// stretch (the position's *window*) depends on the lines alone. A pair qualifies exactly when
// the windows of both positions hold the same lines, so windows get ids of their own and the
// scans step through the positions of equal windows. Only positions whose window runs past the
// end of their text (the last few lines) need the run test itself.
class LineIndex {
public:
    LineIndex(const LineViews &left, const LineViews &right, const MatchParams &params);
    LineIndex(const QStringList &left, const QStringList &right, const MatchParams &params)
        : LineIndex(LineViews(left), LineViews(right), params) {}

    const MatchParams &params() const { return m_params; }
    int nL() const { return int(m_idL.size()); }
    int nR() const { return int(m_idR.size()); }
    int idL(int i) const { return m_idL[size_t(i)]; }
    int idR(int j) const { return m_idR[size_t(j)]; }
    const std::vector<int> &idsL() const { return m_idL; }
    const std::vector<int> &idsR() const { return m_idR; }
    int length(int id) const { return m_length[size_t(id)]; }

    // Positions from which the window runs past the end: i >= windowEndL(), j >= windowEndR().
    int windowEndL() const { return m_windowEndL; }
    int windowEndR() const { return m_windowEndR; }
    int windowL(int i) const { return m_winL[size_t(i)]; }
    int windowR(int j) const { return m_winR[size_t(j)]; }

    // Ascending positions of a span of one id.
    struct Span {
        const int *begin;
        const int *end;
    };
    // Positions on the right (left) side of the lines with this line id.
    Span rightPositions(int id) const { return span(m_offR, m_posR, id); }
    Span leftPositions(int id) const { return span(m_offL, m_posL, id); }
    // Positions on the right (left) side whose (complete) window has this window id.
    Span rightWindowPositions(int w) const { return span(m_winOffR, m_winPosR, w); }
    Span leftWindowPositions(int w) const { return span(m_winOffL, m_winPosL, w); }
    // The first position in the span that is >= from, or span.end.
    static const int *firstAtOrAfter(Span s, int from);

private:
    static Span span(const std::vector<int> &off, const std::vector<int> &pos, int id) {
        return {pos.data() + off[size_t(id)], pos.data() + off[size_t(id) + 1]};
    }
    static void buildPositions(const int *ids, size_t n, int idCount, std::vector<int> &off,
                               std::vector<int> &pos);
    void buildWindows();

    MatchParams m_params;
    std::vector<int> m_idL, m_idR;
    std::vector<int> m_length; // characters of the line with this id
    std::vector<int> m_offL, m_posL, m_offR, m_posR;
    int m_windowEndL = 0, m_windowEndR = 0;
    std::vector<int> m_winL, m_winR; // window id per position (-1 past windowEnd)
    std::vector<int> m_winOffL, m_winPosL, m_winOffR, m_winPosR;
};

// Looks ahead from the last anchor (lastL, lastR) for candidate anchors: a left-major scan,
// then, unless the texts simply continue in step, a right-major scan. The list starts with
// the end sentinel (nL, nR) only when no pair is left to visit. The index must have been built
// with the same params.
std::vector<Candidate> fFindAnchors(const LineIndex &index, int lastL, int lastR,
                                    const MatchParams &params);

// The matching loop: repeatedly finds the next anchor, lays out the gap before it and emits
// it. `shouldAbort` is asked every 50 iterations; when it answers true the loop stops and the
// function returns false (the table holds what was built so far).
bool matchLines(const QStringList &left, const QStringList &right, const MatchParams &params,
                PairTable &table, const std::function<bool()> &shouldAbort = {},
                const std::function<void(qint64 done, qint64 total)> &progress = {});
// The same over the places of the lines, whose strings a caller may have let go.
bool matchLines(const LineViews &left, const LineViews &right, const MatchParams &params,
                PairTable &table, const std::function<bool()> &shouldAbort = {},
                const std::function<void(qint64 done, qint64 total)> &progress = {});
// The same over an index built with the same params.
bool matchLines(const LineIndex &index, const MatchParams &params, PairTable &table,
                const std::function<bool()> &shouldAbort = {},
                const std::function<void(qint64 done, qint64 total)> &progress = {});
