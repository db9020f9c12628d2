// The merge against GNU diff3 on revisions of this project's own files: three successive
// revisions of a file, arranged as a merge two ways, must merge to what `diff3 -m` writes,
// except that a change both sides made alike is taken once (diff3 -m brackets it).
#include "merge/MergeText.h"
#include "support/TempFiles.h"

#include <QMap>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace {

struct Ran {
    int status = -1;
    QByteArray out;
};

Ran runProgram(const QString &program, const QStringList &args, const QString &folder = {}) {
    QProcess p;
    if (!folder.isEmpty())
        p.setWorkingDirectory(folder);
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return {};
    return {p.exitCode(), p.readAllStandardOutput()};
}

QList<QByteArray> splitKeepingEnds(const QByteArray &bytes) {
    QList<QByteArray> lines;
    qsizetype from = 0;
    while (from < bytes.size()) {
        qsizetype to = bytes.indexOf('\n', from);
        to = to < 0 ? bytes.size() : to + 1;
        lines << bytes.mid(from, to - from);
        from = to;
    }
    return lines;
}

// diff3 -m brackets a change both sides made alike as "<<<<<<< o", OLDER's lines, "=======",
// the new lines, ">>>>>>> y"; the merge writes the new lines alone.
QByteArray takeAlikeChangesOnce(const QByteArray &diff3Output) {
    QByteArray out;
    enum { Outside, OlderPart, NewPart } state = Outside;
    for (const QByteArray &line : splitKeepingEnds(diff3Output)) {
        if (state == Outside && line == "<<<<<<< o\n")
            state = OlderPart;
        else if (state == OlderPart && line == "=======\n")
            state = NewPart;
        else if (state == NewPart && line == ">>>>>>> y\n")
            state = Outside;
        else if (state != OlderPart)
            out += line;
    }
    return out;
}

struct Revision {
    QString commit;
    QByteArray bytes;
};

// The history the triples come from ends at a fixed commit, so that they stay the same
// whatever is committed later.
const QString LastCommit = QStringLiteral("b6dedb4cabc86654462925a66c132ea6068e9aa8");

// Up to `files` files of src/ and tests/ with at least three revisions among the last
// commits, each with its revisions from the oldest; empty when git or the history is missing.
QMap<QString, QList<Revision>> revisionsOfFiles(const QString &repo, int files) {
    QMap<QString, QList<Revision>> result;
    const Ran log =
        runProgram(QStringLiteral("git"),
                   {QStringLiteral("-C"), repo, QStringLiteral("log"), LastCommit,
                    QStringLiteral("--format=#%H"), QStringLiteral("--name-only"),
                    QStringLiteral("--diff-filter=M"), QStringLiteral("-n"), QStringLiteral("200"),
                    QStringLiteral("--"), QStringLiteral("src"), QStringLiteral("tests")});
    if (log.status != 0)
        return result;
    QMap<QString, QStringList> commitsOf; // newest first
    QString commit;
    for (const QByteArray &line : log.out.split('\n')) {
        if (line.startsWith('#'))
            commit = QString::fromLatin1(line.mid(1));
        else if (!line.isEmpty())
            commitsOf[QString::fromUtf8(line)] << commit;
    }
    for (auto it = commitsOf.begin(); it != commitsOf.end() && result.size() < files; ++it) {
        if (it.value().size() < 3)
            continue;
        QList<Revision> revisions;
        for (qsizetype k = std::min<qsizetype>(it.value().size(), 6); k-- > 0;) {
            const QString rev = it.value()[k];
            const Ran show = runProgram(QStringLiteral("git"),
                                        {QStringLiteral("-C"), repo, QStringLiteral("show"),
                                         rev + QLatin1Char(':') + it.key()});
            if (show.status != 0)
                break;
            revisions.push_back({rev, show.out});
        }
        if (revisions.size() >= 3)
            result.insert(it.key(), revisions);
    }
    return result;
}

TEST(MergeAgainstDiff3, RealRevisionTriplesMergeAsDiff3Does) {
    if (QStandardPaths::findExecutable(QStringLiteral("diff3")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("git")).isEmpty())
        GTEST_SKIP() << "needs git and diff3";
    const QMap<QString, QList<Revision>> files =
        revisionsOfFiles(QStringLiteral(CORVANE_SOURCE_DIR), 20);
    if (files.isEmpty())
        GTEST_SKIP() << "no history with three revisions of a file";

    TempFiles dir;
    int triples = 0, conflicted = 0, differing = 0;
    for (auto it = files.begin(); it != files.end(); ++it) {
        const QList<Revision> &revs = it.value();
        for (qsizetype k = 0; k + 2 < revs.size(); ++k) {
            // MINE and YOURS as two successive changes of OLDER, and as one change undone
            // and the next made.
            const QByteArray *arrangements[2][3] = {
                {&revs[k + 1].bytes, &revs[k].bytes, &revs[k + 2].bytes},
                {&revs[k].bytes, &revs[k + 1].bytes, &revs[k + 2].bytes}};
            for (const auto &[mine, older, yours] : arrangements) {
                if (!mine->endsWith('\n') || !older->endsWith('\n') || !yours->endsWith('\n'))
                    continue; // diff3 glues a marker to such a line; covered on its own
                dir.write(QStringLiteral("m"), *mine);
                dir.write(QStringLiteral("o"), *older);
                dir.write(QStringLiteral("y"), *yours);
                const Ran diff3 = runProgram(QStringLiteral("diff3"),
                                             {QStringLiteral("-m"), QStringLiteral("m"),
                                              QStringLiteral("o"), QStringLiteral("y")},
                                             dir.path());
                ASSERT_GE(diff3.status, 0);
                ASSERT_LE(diff3.status, 1);
                const QByteArray expected = takeAlikeChangesOnce(diff3.out);
                const MergedText merged =
                    mergeTexts(*mine, *older, *yours,
                               {QStringLiteral("m"), QStringLiteral("o"), QStringLiteral("y")});
                ++triples;
                conflicted += merged.conflicts > 0;
                if (merged.bytes != expected) {
                    ++differing;
                    ADD_FAILURE() << it.key().toStdString() << " at "
                                  << revs[k].commit.toStdString()
                                  << ": the merge differs from diff3 -m";
                }
                EXPECT_EQ(merged.conflicts > 0,
                          expected.contains("\n>>>>>>> y\n") || expected.startsWith(">>>>>>> y\n"));
            }
        }
    }
    std::printf("%d real triples, %d with conflicts, %d differing from diff3 -m\n", triples,
                conflicted, differing);
}

} // namespace
