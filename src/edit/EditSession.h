#pragma once

#include "edit/EditableText.h"
#include "engine/LineKeys.h"
#include "engine/LineMatching.h"

#include <array>
#include <vector>

// How the two texts are compared: what the comparison run of the window used.
struct CompareSettings {
    LineFolding folding; // letter case included
    bool minimal = false;
    MatchParams params;
};

// Two texts being edited and the result of comparing them. Every change (a block taken
// across, a line typed, split, inserted, deleted or pasted) is one step on an undo stack shared
// by both sides; after each the texts are compared again, so the table always describes the
// texts as they are. A value: no thread, no window.
class EditSession {
public:
    EditSession(EditableText left, EditableText right, const CompareSettings &settings);

    const EditableText &side(int s) const { return m_sides[size_t(s)]; }
    const CompareSettings &settings() const { return m_settings; }
    // The lines' texts of a side, as the comparison reads them.
    const QStringList &texts(int s) const { return m_texts[size_t(s)]; }

    // The comparison of the texts as they stand, and whether each of its rows differs (a row
    // of two unequal lines or of one line that is no ignored blank).
    const PairTable &table() const { return m_table; }
    bool rowDiffers(int tableRow) const { return m_differs[size_t(tableRow)] != 0; }
    // The table row that shows a side's line (0-based line index).
    int rowOfLine(int s, qsizetype line) const;

    // A difference block: the run of differing rows around a row (none when the row is equal).
    struct Block {
        int firstRow = 0, lastRow = -1; // table rows, inclusive
        bool isEmpty() const { return lastRow < firstRow; }
    };
    Block blockAt(int tableRow) const;
    // Every block with a row in [firstRow, lastRow].
    std::vector<Block> blocksTouching(int firstRow, int lastRow) const;

    // Changes; each is one undo step and is followed by a fresh comparison. Line indexes are
    // 0-based. The first line index the change leaves its cursor on comes back.
    // The lines of `from`'s side in the blocks replace their counterparts on the other side.
    qsizetype copyBlocks(int from, const std::vector<Block> &blocks);
    // The whole text of `from` replaces the other side's.
    qsizetype copyAll(int from);
    // `count` lines of side `s` from `first` become `texts` (typing: one line for one; a split:
    // two lines for one; an insertion: count 0; a deletion: no texts).
    qsizetype replaceLines(int s, qsizetype first, qsizetype count, const QStringList &texts);

    bool canUndo() const { return m_done > 0; }
    bool canRedo() const { return m_done < qsizetype(m_history.size()); }
    // Take back or do again the last step; the side and line the step changed first come back
    // (side -1 when there was nothing to do).
    struct Place {
        int side = -1;
        qsizetype line = 0;
    };
    Place undo();
    Place redo();

    // A side differs from what was last read or saved.
    bool isModified(int s) const;
    // The side as it stands has been written to its file.
    void markSaved(int s);
    // The side as saved to a file of another name and encoding now stands for that file.
    EditableText &sideForSaving(int s) { return m_sides[size_t(s)]; }

private:
    struct Replace {
        int side;
        qsizetype first;
        std::vector<EditLine> lines; // what the step put in (done) or took out (undone)
        qsizetype count;             // lines the step takes out when it is (re)done
    };
    struct Step {
        std::vector<Replace> replaces;
        bool touches(int s) const;
    };
    void push(Step step);
    void apply(Replace &r);
    void revert(Replace &r);
    void compare();

    std::array<EditableText, 2> m_sides;
    std::array<QStringList, 2> m_texts; // kept in step with the sides
    CompareSettings m_settings;
    PairTable m_table;
    std::vector<quint8> m_differs;
    std::array<std::vector<int>, 2> m_rowOfLine;
    std::vector<Step> m_history; // steps [0, m_done) are done, the rest undone
    qsizetype m_done = 0;
    std::array<qsizetype, 2> m_savedAt{0, 0}; // m_done when each side was saved; -1: lost
};
