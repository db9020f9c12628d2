#include "edit/EditSession.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

namespace {

QStringList lines(const char *text) {
    return QString::fromUtf8(text).split(QLatin1Char('\n'));
}

EditSession session(const char *left, const char *right, CompareSettings settings = {}) {
    return EditSession(EditableText::fromLines(lines(left)), EditableText::fromLines(lines(right)),
                       settings);
}

QString joined(const EditSession &s, int side) {
    return s.side(side).texts().join(QLatin1Char('\n'));
}

} // namespace

TEST(EditSession, TakingABlockAcrossReplacesItsCounterpartAndLeavesTheTextsEqualThere) {
    EditSession s = session("a\nb\nc\nd", "a\nB\nc\nd");
    const int row = s.rowOfLine(0, 1);
    ASSERT_TRUE(s.rowDiffers(row));
    EXPECT_EQ(s.copyBlocks(0, {s.blockAt(row)}), 1);
    EXPECT_EQ(joined(s, 1), "a\nb\nc\nd");
    EXPECT_TRUE(s.isModified(1));
    EXPECT_FALSE(s.isModified(0));
    EXPECT_TRUE(s.blocksTouching(1, s.table().lastRow()).empty());
}

TEST(EditSession, ALineOnOneSideOnlyGoesInBeforeTheNextLineOrIsTakenOut) {
    // Left has a line the right lacks: copied right it is inserted in its place...
    EditSession s = session("a\nx\nb\nc", "a\nb\nc");
    const EditSession::Block block = s.blockAt(s.rowOfLine(0, 1));
    ASSERT_FALSE(block.isEmpty());
    s.copyBlocks(0, {block});
    EXPECT_EQ(joined(s, 1), "a\nx\nb\nc");
    // ... and copied left from the other side, the lack of it takes it out.
    EditSession t = session("a\nx\nb\nc", "a\nb\nc");
    t.copyBlocks(1, {t.blockAt(t.rowOfLine(0, 1))});
    EXPECT_EQ(joined(t, 0), "a\nb\nc");
    // At the end of the text.
    EditSession u = session("a\nb\nz", "a\nb");
    u.copyBlocks(0, {u.blockAt(u.rowOfLine(0, 2))});
    EXPECT_EQ(joined(u, 1), "a\nb\nz");
}

TEST(EditSession, ASelectionTakesEveryBlockItTouchesInOneStep) {
    EditSession s = session("1\nA\n3\n4\n5\nB\n7\n8\n9\nC", "1\na\n3\n4\n5\nb\n7\n8\n9\nc");
    const std::vector<EditSession::Block> blocks =
        s.blocksTouching(s.rowOfLine(0, 1), s.rowOfLine(0, 5));
    ASSERT_EQ(blocks.size(), 2u);
    s.copyBlocks(1, blocks);
    EXPECT_EQ(joined(s, 0), "1\na\n3\n4\n5\nb\n7\n8\n9\nC");
    s.undo();
    EXPECT_EQ(joined(s, 0), "1\nA\n3\n4\n5\nB\n7\n8\n9\nC");
    EXPECT_FALSE(s.isModified(0));
}

TEST(EditSession, UndoGivesBackTheLinesWithTheirOriginalBytesAndRedoDoesAgain) {
    EditableTextBuilder builder;
    builder.append(EditLine{QStringLiteral("same"), LineEnd::CrLf, 0, 4, 2});
    builder.append(EditLine{QStringLiteral("old"), LineEnd::Lf, 6, 3, 1});
    builder.append(EditLine{QString(), LineEnd::None, 10, 0, 0});
    EditSession s(builder.take(), EditableText::fromLines(lines("same\nnew\n")), {});
    s.copyBlocks(1, s.blocksTouching(1, s.table().lastRow()));
    EXPECT_EQ(s.side(0).line(1).text, "new");
    EXPECT_FALSE(s.side(0).line(1).isOriginal());
    const EditSession::Place undone = s.undo();
    EXPECT_EQ(undone.side, 0);
    EXPECT_EQ(undone.line, 1);
    const EditLine &back = s.side(0).line(1);
    EXPECT_EQ(back.text, "old");
    EXPECT_EQ(back.byteStart, 6);
    EXPECT_EQ(back.end, LineEnd::Lf);
    s.redo();
    EXPECT_EQ(s.side(0).line(1).text, "new");
    EXPECT_TRUE(s.isModified(0));
}

TEST(EditSession, TypingOverALineKeepsItsEndAndSplittingAddsALine) {
    EditableTextBuilder builder;
    builder.append(EditLine{QStringLiteral("ab"), LineEnd::CrLf, 0, 2, 2});
    builder.append(EditLine{QString(), LineEnd::None, 4, 0, 0});
    builder.text().setUsualEnd(LineEnd::CrLf);
    EditSession s(builder.take(), EditableText::fromLines({QStringLiteral("ab"), QString()}), {});
    s.replaceLines(0, 0, 1, {QStringLiteral("a"), QStringLiteral("b")});
    ASSERT_EQ(s.side(0).lineCount(), 3);
    EXPECT_EQ(s.side(0).line(0).end, LineEnd::CrLf);
    EXPECT_EQ(s.side(0).line(1).end, LineEnd::CrLf);
    EXPECT_EQ(s.side(0).line(2).end, LineEnd::None);
}

TEST(EditSession, SavedStateIsKnownAcrossUndoAndLostWhenAnotherBranchIsTaken) {
    EditSession s = session("a\nb", "a\nc");
    s.replaceLines(0, 0, 1, {QStringLiteral("x")});
    s.markSaved(0);
    EXPECT_FALSE(s.isModified(0));
    s.undo();
    EXPECT_TRUE(s.isModified(0));
    s.redo();
    EXPECT_FALSE(s.isModified(0));
    s.undo();
    s.replaceLines(0, 1, 1, {QStringLiteral("y")}); // the saved state cannot come back
    s.undo();
    EXPECT_TRUE(s.isModified(0));
    // A step on the other side leaves this one as saved.
    EditSession t = session("a", "b");
    t.markSaved(0);
    t.replaceLines(1, 0, 1, {QStringLiteral("z")});
    EXPECT_FALSE(t.isModified(0));
    EXPECT_TRUE(t.isModified(1));
}

// Random copies, edits, undos and redos on small texts: after every step the texts are those
// of a plain model, the comparison equals a fresh comparison of the same texts, and undo
// gives back exactly the texts before the step.
TEST(EditSession, RandomStepsKeepTextsAndComparisonAsAFreshComparisonHasThem) {
    QRandomGenerator random(20261209);
    const QStringList alphabet{"a", "b", "c", "", "  a", "long line here", "x"};
    auto randomText = [&](int n) {
        QStringList t;
        for (int k = 0; k < n; ++k)
            t << alphabet[random.bounded(int(alphabet.size()))];
        return t;
    };
    for (int round = 0; round < 200; ++round) {
        CompareSettings settings;
        settings.folding.space = random.bounded(3);
        settings.folding.blankLines = random.bounded(2) == 1;
        settings.minimal = random.bounded(2) == 1;
        EditSession s(EditableText::fromLines(randomText(random.bounded(12))),
                      EditableText::fromLines(randomText(random.bounded(12))), settings);
        std::vector<std::array<QStringList, 2>> undoModel, redoModel;
        for (int step = 0; step < 25; ++step) {
            const std::array<QStringList, 2> before{s.side(0).texts(), s.side(1).texts()};
            const int side = random.bounded(2);
            const int op = random.bounded(6);
            bool changed = true;
            if (op == 0) {
                const int last = s.table().lastRow();
                const int a = 1 + random.bounded(std::max(last, 1));
                const int b = a + random.bounded(3);
                changed = s.copyBlocks(side, s.blocksTouching(a, b)) >= 0;
            } else if (op == 1) {
                s.copyAll(side);
            } else if (op == 2) {
                const qsizetype n = s.side(side).lineCount();
                const qsizetype first = random.bounded(int(n) + 1);
                const qsizetype count = random.bounded(int(n - first) + 1);
                s.replaceLines(side, first, std::min<qsizetype>(count, 2),
                               randomText(random.bounded(3)));
            } else if (op == 3 || op == 4) {
                if (!s.canUndo())
                    continue;
                s.undo();
                redoModel.push_back(undoModel.back());
                undoModel.pop_back();
                EXPECT_EQ(s.side(0).texts(), redoModel.back()[0]);
                EXPECT_EQ(s.side(1).texts(), redoModel.back()[1]);
                changed = false;
            } else {
                if (!s.canRedo())
                    continue;
                s.redo();
                undoModel.push_back(redoModel.back());
                redoModel.pop_back();
                changed = false;
            }
            if (changed && op <= 2) {
                undoModel.push_back(before);
                redoModel.clear();
            }
            ASSERT_EQ(s.texts(0), s.side(0).texts());
            ASSERT_EQ(s.texts(1), s.side(1).texts());
            const EditSession fresh(EditableText::fromLines(s.side(0).texts()),
                                    EditableText::fromLines(s.side(1).texts()), settings);
            ASSERT_EQ(s.table().rows(), fresh.table().rows()) << "round " << round;
            for (int r = 1; r <= s.table().lastRow(); ++r)
                ASSERT_EQ(s.rowDiffers(r), fresh.rowDiffers(r));
        }
    }
}
