#include "FolderFixtures.h"

#include "encoding/Charset.h"
#include "folder/SearchFileContent.h"

#include <atomic>
#include <functional>
#include <vector>

#include <sys/stat.h>

namespace {

const QString Folder = QStringLiteral("フォルダ");
const QString ScanStatus = QStringLiteral("解析中です... (Escキー長押しで中断)");

} // namespace

TEST(FolderSizeText, ThresholdsAndSeparators) {
    const QLocale c = QLocale::c();
    const QLocale en(QLocale::English, QLocale::UnitedStates);
    for (const QLocale &loc : {c, en}) {
        EXPECT_EQ(sizeTextOf(0, loc), QStringLiteral("0 byte"));
        EXPECT_EQ(sizeTextOf(1024, loc), QStringLiteral("1024 byte"));
        EXPECT_EQ(sizeTextOf(1025, loc), QStringLiteral("1.00 KB"));
        EXPECT_EQ(sizeTextOf(1536, loc), QStringLiteral("1.50 KB"));
        EXPECT_EQ(sizeTextOf(1048576, loc), QStringLiteral("1,024.00 KB"));
        EXPECT_EQ(sizeTextOf(1048577, loc), QStringLiteral("1.00 MB"));
        EXPECT_EQ(sizeTextOf(1073741824, loc), QStringLiteral("1,024.00 MB"));
        EXPECT_EQ(sizeTextOf(5ull * 1073741824, loc), QStringLiteral("5.00 GB"));
        // Above 4 GiB and up to the largest size: exact, no overflow.
        EXPECT_EQ(sizeTextOf(4ull * 1073741824 + 1, loc), QStringLiteral("4.00 GB"));
        EXPECT_EQ(sizeTextOf(~0ull, loc), QStringLiteral("17,179,869,184.00 GB"));
    }
    // 1.999 KB rounds to 2.00, never to "1.100".
    EXPECT_EQ(sizeTextOf(2047, c), QStringLiteral("2.00 KB"));
    EXPECT_EQ(sizeTextOf(1048576, QLocale(QLocale::German)), QStringLiteral("1.024,00 KB"));
}

TEST(FolderDateText, LocaleDateAndSecondsOnly) {
    const QDateTime t(QDate(2024, 5, 6), QTime(17, 8, 9, 999), Qt::LocalTime);
    EXPECT_EQ(fFormatFileTime(t, QLocale::c()), QStringLiteral("2024/05/06 17:08:09"));
    const QLocale en(QLocale::English, QLocale::UnitedStates);
    EXPECT_EQ(fFormatFileTime(t, en),
              en.toString(t.date(), QLocale::ShortFormat) + QStringLiteral(" 17:08:09"));
}

TEST(FolderScan, IdenticalFoldersHaveNoDifferences) {
    FolderPair pair;
    pair.both("a.txt", "alpha");
    pair.both(".hidden", "");
    pair.both("noext", "1234567890");
    pair.folder(0, "sub");
    pair.folder(1, "sub");
    for (int mode : {0, 1, 2}) {
        Workspace ws;
        compareFolders(ws, pair, mode);
        ASSERT_EQ(ws.fgF.rows(), 5) << mode;
        for (int r = 1; r < 5; ++r) {
            EXPECT_EQ(colouredCells(ws, r), QString()) << r;
            EXPECT_EQ(ws.fgF.text(r, 0), ws.fgF.text(r, 4));
        }
        EXPECT_EQ(ws.DiffCount + ws.LeftOnlyCount + ws.RightOnlyCount, 0);
        EXPECT_TRUE(ws.runProblems.isEmpty());
        EXPECT_EQ(ws.statusText(), ScanStatus);
        EXPECT_EQ(ws.fgF.row(), 1);
        EXPECT_TRUE(ws.fgF.redraw());

        // Only differences: every row goes, one empty data row stays.
        compareFolders(ws, pair, mode, true);
        ASSERT_EQ(ws.fgF.rows(), 2);
        for (int c = 0; c < 10; ++c)
            EXPECT_TRUE(ws.fgF.isEmpty(1, c)) << c;
        EXPECT_EQ(ws.fgF.text(0, 0), QStringLiteral("ファイル名"));
    }
}

TEST(FolderScan, RowColumnsOfFilesAndFolders) {
    FolderPair pair;
    pair.file(0, "notes.TXT", QByteArray(1536, 'x'));
    pair.file(1, "notes.TXT", QByteArray(1536, 'x'));
    pair.folder(0, "sub");
    pair.folder(1, "sub");
    pair.file(0, ".profile", "x");
    Workspace ws;
    compareFolders(ws, pair);
    const int file = rowOf(ws, QStringLiteral("notes.TXT"));
    ASSERT_GT(file, 0);
    const QString date = fFormatFileTime(QDateTime::fromMSecsSinceEpoch(FolderPair::defaultTime()));
    const QStringList expected = {
        QStringLiteral("notes.TXT"), QStringLiteral("1.50 KB"), QStringLiteral("TXT"), date,
        QStringLiteral("notes.TXT"), QStringLiteral("1.50 KB"), QStringLiteral("TXT"), date,
        QStringLiteral("1536"),      QStringLiteral("1536")};
    for (int c = 0; c < 10; ++c)
        EXPECT_EQ(ws.fgF.text(file, c), expected[c]) << c;
    const int sub = rowOf(ws, QStringLiteral("sub"));
    EXPECT_TRUE(ws.fgF.isEmpty(sub, 1));
    EXPECT_EQ(ws.fgF.text(sub, 2), Folder);
    EXPECT_EQ(ws.fgF.text(sub, 8), QStringLiteral("0"));
    EXPECT_EQ(ws.fgF.text(sub, 9), QStringLiteral("0"));
    // Hidden entries are listed; a leading dot is the extension's start.
    const int hidden = rowOf(ws, QStringLiteral(".profile"));
    ASSERT_GT(hidden, 0);
    EXPECT_EQ(ws.fgF.text(hidden, 2), QStringLiteral("profile"));
    EXPECT_EQ(ws.fgF.text(hidden, 9), QStringLiteral("0"));
    EXPECT_EQ(ws.LeftOnlyCount, 1);
}

TEST(FolderScan, OneSidedEntriesAreColouredBySide) {
    FolderPair pair;
    pair.file(0, "Readme.txt", "r");
    pair.file(1, "README.TXT", "r");
    // A file and a folder of one name never pair, even when the file's type reads "フォルダ".
    pair.file(0, "data", "d");
    pair.folder(1, "data");
    pair.file(0, "x.フォルダ", "");
    pair.folder(1, "x.フォルダ");
    Workspace ws;
    compareFolders(ws, pair, 1);
    ASSERT_EQ(ws.fgF.rows(), 7);
    EXPECT_EQ(ws.LeftOnlyCount, 3);
    EXPECT_EQ(ws.RightOnlyCount, 3);
    EXPECT_EQ(ws.DiffCount, 0);
    EXPECT_TRUE(ws.runProblems.isEmpty());
    for (int r = 1; r <= 3; ++r) {
        // The first folder's rows come first; the second folder's are appended after them.
        EXPECT_FALSE(ws.fgF.isEmpty(r, 0));
        EXPECT_TRUE(ws.fgF.isEmpty(r, 4));
        EXPECT_TRUE(ws.fgF.isEmpty(r, 7));
        for (int c = 0; c < 4; ++c) {
            EXPECT_EQ(ws.fgF.backColor(r, c), ws.txtState[1]);
            EXPECT_EQ(ws.fgF.backColor(r, c + 4), ws.txtState[2]);
        }
    }
    for (int r = 4; r <= 6; ++r) {
        EXPECT_TRUE(ws.fgF.isEmpty(r, 0));
        EXPECT_FALSE(ws.fgF.isEmpty(r, 4));
        EXPECT_EQ(ws.fgF.text(r, 8), QStringLiteral("0"));
        for (int c = 0; c < 4; ++c) {
            EXPECT_EQ(ws.fgF.backColor(r, c), ws.txtState[2]);
            EXPECT_EQ(ws.fgF.backColor(r, c + 4), ws.txtState[1]);
        }
    }
    EXPECT_EQ(ws.fgF.text(rowOf(ws, QStringLiteral("x.フォルダ"), 4), 6), Folder);
}

TEST(FolderScan, DatesCompareToTheSecond) {
    FolderPair pair;
    const qint64 t = FolderPair::defaultTime();
    pair.file(0, "ms", "same", t + 100);
    pair.file(1, "ms", "same", t + 900);
    pair.file(0, "sec", "same", t);
    pair.file(1, "sec", "same", t + 1000);
    pair.folder(0, "dir", t);
    pair.folder(1, "dir", t + 60000);
    Workspace ws;
    compareFolders(ws, pair, 1, true);
    // Only the rows with a differing second remain; a folder pair differs in its date alone.
    ASSERT_EQ(ws.fgF.rows(), 3);
    EXPECT_EQ(ws.DiffCount, 2);
    EXPECT_EQ(rowOf(ws, QStringLiteral("ms")), 0);
    EXPECT_EQ(colouredCells(ws, rowOf(ws, QStringLiteral("sec"))), QStringLiteral("3,7"));
    EXPECT_EQ(colouredCells(ws, rowOf(ws, QStringLiteral("dir"))), QStringLiteral("3,7"));
    EXPECT_EQ(ws.fgF.backColor(rowOf(ws, QStringLiteral("dir")), 3), ws.txtState[0]);
}

TEST(FolderScan, ContentModes) {
    FolderPair pair;
    pair.file(0, "same-size", "abc");
    pair.file(1, "same-size", "abd");
    pair.both("empty", "");
    const QString text = QStringLiteral("日本語のテキスト\n二行目\n");
    QByteArray sjis = EncodeAnsi(text);
    sjis.replace("\n", "\r\n");
    pair.file(0, "enc.txt", sjis);
    pair.file(1, "enc.txt", text.toUtf8());

    struct Expect {
        int mode;
        QString sameSize;
        QString enc;
        int diffs;
    };
    for (const Expect &e : {Expect{0, QString(), QStringLiteral("1,5"), 1},
                            Expect{1, QStringLiteral("0,4"), QStringLiteral("0,1,4,5"), 2},
                            Expect{2, QStringLiteral("0,4"), QStringLiteral("1,5"), 2},
                            Expect{7, QString(), QStringLiteral("1,5"), 1}}) {
        Workspace ws;
        compareFolders(ws, pair, e.mode);
        EXPECT_EQ(colouredCells(ws, rowOf(ws, QStringLiteral("same-size"))), e.sameSize) << e.mode;
        EXPECT_EQ(colouredCells(ws, rowOf(ws, QStringLiteral("enc.txt"))), e.enc) << e.mode;
        EXPECT_EQ(colouredCells(ws, rowOf(ws, QStringLiteral("empty"))), QString()) << e.mode;
        EXPECT_EQ(ws.DiffCount, e.diffs) << e.mode;
        EXPECT_EQ(ws.fgF.backColor(rowOf(ws, QStringLiteral("enc.txt")), 1), ws.txtState[0]);
    }
}

TEST(FolderScan, ShortAsciiTextComparesAsTextIgnoringLineEndsAndMarks) {
    // Short lower-case ASCII used to be read as UTF-16 on one side only.
    FolderPair pair;
    pair.file(0, "lf.txt", "hello\n");
    pair.file(1, "lf.txt", "hello\r\n");
    pair.file(0, "mark.txt", "\xEF\xBB\xBFhello\n"); // UTF-8 as Windows tools write it
    pair.file(1, "mark.txt", "hello\n");             // the same text in the code page
    pair.file(0, "other.txt", "hello\n");
    pair.file(1, "other.txt", "hullo\n");
    Workspace ws;
    compareFolders(ws, pair, 2);
    // Sizes differ, contents are equal: only the size cells are marked.
    EXPECT_EQ(colouredCells(ws, rowOf(ws, QStringLiteral("lf.txt"))), QStringLiteral("1,5"));
    EXPECT_EQ(colouredCells(ws, rowOf(ws, QStringLiteral("mark.txt"))), QStringLiteral("1,5"));
    EXPECT_EQ(colouredCells(ws, rowOf(ws, QStringLiteral("other.txt"))), QStringLiteral("0,4"));
}

TEST(FolderScan, NameThatIsNotUtf8IsPairedAndHashed) {
    FolderPair pair;
    const QByteArray raw("\x82\xA0\xFF-name.dat");
    pair.file(0, raw, "abc");
    pair.file(1, raw, "abd");
    for (int mode : {1, 2}) {
        Workspace ws;
        compareFolders(ws, pair, mode);
        ASSERT_EQ(ws.fgF.rows(), 2);
        EXPECT_EQ(encodeNativeName(ws.fgF.text(1, 0)), raw);
        EXPECT_EQ(ws.fgF.text(1, 0), ws.fgF.text(1, 4));
        EXPECT_EQ(colouredCells(ws, 1), QStringLiteral("0,4")) << mode;
        EXPECT_TRUE(ws.runProblems.isEmpty())
            << ws.runProblems.join(QLatin1Char('\n')).toStdString();
    }
}

TEST(FolderScan, LinksPipesAndLoopsDoNotHang) {
    FolderPair pair;
    for (int side = 0; side < 2; ++side) {
        pair.link(side, "loop1", "loop2");
        pair.link(side, "loop2", "loop1");
        pair.link(side, "broken", "nowhere");
        pair.link(side, "self", ".");
        pair.link(side, "up", "..");
        EXPECT_EQ(::mkfifo(encodeNativeName(pair.path(side, "pipe")).constData(), 0644), 0);
    }
    pair.both("target", "12345");
    pair.link(0, "good", "target");
    pair.file(1, "good", "12345");
    for (int mode : {0, 1, 2}) {
        Workspace ws;
        compareFolders(ws, pair, mode);
        EXPECT_EQ(ws.fgF.rows(), 9) << mode;
        EXPECT_EQ(ws.LeftOnlyCount + ws.RightOnlyCount, 0);
        EXPECT_TRUE(ws.runProblems.isEmpty());
        const int broken = rowOf(ws, QStringLiteral("broken"));
        EXPECT_EQ(ws.fgF.text(broken, 1), QStringLiteral("0 byte"));
        EXPECT_EQ(ws.fgF.text(rowOf(ws, QStringLiteral("self")), 2), Folder);
        EXPECT_EQ(ws.fgF.text(rowOf(ws, QStringLiteral("loop1")), 8), QStringLiteral("0"));
        // A link is listed as its target: same size and content as the real file opposite.
        const int good = rowOf(ws, QStringLiteral("good"));
        EXPECT_EQ(ws.fgF.text(good, 8), QStringLiteral("5"));
        EXPECT_FALSE(ws.fgF.backColor(good, 0) == ws.txtState[0]);
    }
}

TEST(FolderScan, OneFolderAloneAndUnreadableFolders) {
    FolderPair pair;
    pair.file(0, "a", "12");
    pair.file(1, "b", "1");
    Workspace ws;
    // The second folder alone goes into the right half, uncoloured and uncounted.
    prepareFolders(ws);
    ws.setStatus(QStringLiteral("before"));
    SearchFile(ws, pair.dir(1), QStringLiteral("*.*"), 1, QString());
    ASSERT_EQ(ws.fgF.rows(), 2);
    EXPECT_EQ(ws.fgF.text(1, 4), QStringLiteral("b"));
    EXPECT_TRUE(ws.fgF.isEmpty(1, 0));
    EXPECT_TRUE(ws.fgF.isEmpty(1, 8));
    EXPECT_EQ(ws.fgF.text(1, 9), QStringLiteral("1"));
    EXPECT_EQ(colouredCells(ws, 1), QString());
    EXPECT_EQ(ws.statusText(), QStringLiteral("before"));
    EXPECT_EQ(ws.runProblems, QStringList());

    // A first folder that cannot be listed lists nothing at all, and is named.
    prepareFolders(ws);
    SearchFile(ws, pair.path(0, "missing"), QStringLiteral("*.*"), 0, pair.dir(1));
    EXPECT_EQ(ws.fgF.rows(), 2);
    EXPECT_TRUE(ws.fgF.isEmpty(1, 4));
    EXPECT_EQ(ws.runProblems, QStringList{"読み取れません: " + pair.path(0, "missing")});

    // A second folder that cannot be listed leaves the first one listed and uncompared.
    prepareFolders(ws);
    SearchFile(ws, pair.dir(0), QStringLiteral("*.*"), 0, pair.path(1, "missing"));
    EXPECT_EQ(ws.fgF.text(1, 0), QStringLiteral("a"));
    EXPECT_EQ(colouredCells(ws, 1), QString());
    EXPECT_EQ(ws.LeftOnlyCount, 0);
    EXPECT_EQ(ws.runProblems, QStringList{"読み取れません: " + pair.path(1, "missing")});

    // Nor is a folder alone that cannot be listed taken for an empty one.
    prepareFolders(ws);
    SearchFile(ws, pair.path(1, "missing"), QStringLiteral("*.*"), 1, QString());
    EXPECT_EQ(ws.runProblems, QStringList{"読み取れません: " + pair.path(1, "missing")});
}

TEST(FolderScan, AbortDuringListing) {
    FolderPair pair;
    for (int i = 0; i < 450; ++i)
        pair.both("f" + QByteArray::number(i), "x");
    Workspace ws;
    int polls = 0;
    ws.processEventsHook = [&] {
        ++polls;
        ws.bAbort = true;
    };
    compareFolders(ws, pair);
    EXPECT_EQ(polls, 1);
    EXPECT_EQ(ws.fgF.rows(), 201);
    // Not compared, which an uncoloured row (equal) would not say.
    for (int r = 1; r <= 200; ++r) {
        ASSERT_TRUE(ws.fgF.isEmpty(r, 4));
        ASSERT_EQ(ws.fgF.backColor(r, 0), Workspace::NotComparedColor);
        ASSERT_EQ(ws.fgF.backColor(r, 7), Workspace::NotComparedColor);
    }
    EXPECT_EQ(ws.NotComparedCount, 200);
    EXPECT_EQ(ws.LeftOnlyCount, 0);
    EXPECT_TRUE(ws.fgF.redraw());
}

TEST(FolderScan, AbortDuringComparison) {
    FolderPair pair;
    for (int i = 0; i < 250; ++i) {
        pair.file(0, "f" + QByteArray::number(i), "x");
        pair.file(1, "f" + QByteArray::number(i), "xy");
    }
    Workspace ws;
    // Listing polls at 200 and 400 entries; the comparison pass polls after every 100 rows.
    ws.processEventsHook = [&] { ws.bAbort = ws.statusText() == ScanStatus; };
    compareFolders(ws, pair, 0, true);
    EXPECT_EQ(ws.DiffCount, 100);
    ASSERT_EQ(ws.fgF.rows(), 251);
    int changed = 0;
    for (int r = 1; r <= 250; ++r)
        changed += ws.fgF.backColor(r, 1) == ws.txtState[0] ? 1 : 0;
    EXPECT_EQ(changed, 100);
    // The rest were not compared: neither equal (uncoloured) nor different.
    EXPECT_EQ(ws.NotComparedCount, 150);
    EXPECT_EQ(ws.fgF.backColor(101, 0), Workspace::NotComparedColor);
}

TEST(FolderScan, FileThatVanishesStopsTheComparisonAndIsNamed) {
    for (int mode : {1, 2}) {
        FolderPair pair;
        for (int i = 0; i < 20; ++i)
            pair.both("keep" + QByteArray::number(i), "same");
        const QString gone = pair.file(0, "gone.txt", "abc");
        pair.file(1, "gone.txt", "abc");
        Workspace ws;
        QObject::connect(&ws, &Workspace::statusChanged, [&](const QString &text) {
            if (text == ScanStatus)
                ::unlink(encodeNativeName(gone).constData());
        });
        compareFolders(ws, pair, mode, true);
        ASSERT_EQ(ws.runProblems.size(), 1) << mode;
        EXPECT_EQ(ws.runProblems.at(0).count(QStringLiteral("読み込めません")), 1);
        EXPECT_TRUE(ws.runProblems.at(0).startsWith(QStringLiteral("読み込めません: ") + gone))
            << ws.runProblems.at(0).toStdString();
        // The comparison ended there: no equal row was removed.
        EXPECT_EQ(ws.fgF.rows(), 22);
        // It and the rows after it were not compared.
        const int r = rowOf(ws, QStringLiteral("gone.txt"));
        EXPECT_EQ(ws.fgF.backColor(r, 0), Workspace::NotComparedColor);
        EXPECT_EQ(ws.fgF.backColor(21, 0), Workspace::NotComparedColor);
        EXPECT_EQ(ws.NotComparedCount, 22 - r);
        EXPECT_TRUE(ws.fgF.redraw());
    }
}

TEST(FolderScan, TenThousandEntriesWithASharedPrefix) {
    FolderPair pair;
    const QByteArray prefix = QByteArray(120, 'p') + "_shared_prefix_";
    constexpr int n = 10000;
    for (int i = 0; i < n; ++i) {
        const QByteArray name = prefix + QByteArray::number(i);
        pair.file(0, name, "");
        if (i % 10 != 0)
            pair.file(1, name, "");
        else
            pair.file(1, name + ".other", "");
    }
    Workspace ws;
    compareFolders(ws, pair, 1, true);
    EXPECT_EQ(ws.LeftOnlyCount, n / 10);
    EXPECT_EQ(ws.RightOnlyCount, n / 10);
    EXPECT_EQ(ws.fgF.rows(), 1 + 2 * n / 10);
}

// A text pair beyond the size limit is not read whole: it counts as different, the note names
// it, and the rest of the folder is still compared.
TEST(FolderScan, TextPairBeyondTheLimitIsDifferentAndNamed) {
    FolderPair pair;
    const qint64 beyond = MaxComparedFileBytes + 1;
    const QString bigLeft = pair.file(0, "big.txt", "A");
    const QString bigRight = pair.file(1, "big.txt", "B");
    for (const QString &p : {bigLeft, bigRight}) {
        ASSERT_EQ(::truncate(encodeNativeName(p).constData(), beyond), 0);
        FolderPair::setTime(p, FolderPair::defaultTime());
    }
    pair.file(0, "z-after.txt", "left");
    pair.file(1, "z-after.txt", "right");
    pair.both("z-same.txt", "same");
    Workspace ws;
    compareFolders(ws, pair, 2);
    EXPECT_TRUE(ws.runProblems.isEmpty());
    ASSERT_EQ(ws.runNotes.size(), 1);
    // Not "読み込めません": the bytes were read and compared.
    EXPECT_EQ(ws.runNotes[0],
              QStringLiteral("テキストとしては比較していません (1 GB を超えています): %1, "
                             "テキストとしては比較していません (1 GB を超えています): %2")
                  .arg(bigLeft, bigRight));
    EXPECT_EQ(colouredCells(ws, rowOf(ws, QStringLiteral("big.txt"))), QStringLiteral("0,4"));
    EXPECT_EQ(colouredCells(ws, rowOf(ws, QStringLiteral("z-after.txt"))),
              QStringLiteral("0,1,4,5"));
    EXPECT_EQ(colouredCells(ws, rowOf(ws, QStringLiteral("z-same.txt"))), QString());
    EXPECT_EQ(ws.DiffCount, 2);
}

// Sizes beyond the int range are compared exactly: one byte apart is different, equal is equal.
TEST(FolderScan, SizesBeyondTheIntRangeCompareExactly) {
    FolderPair pair;
    const off_t beyond = off_t(5) << 30;
    for (const char *name : {"equal.bin", "apart.bin"})
        for (int side = 0; side < 2; ++side) {
            const QString p = pair.file(side, name, "x");
            const off_t size = beyond + (side == 1 && name[0] == 'a' ? 1 : 0);
            ASSERT_EQ(::truncate(encodeNativeName(p).constData(), size), 0);
            FolderPair::setTime(p, FolderPair::defaultTime());
        }
    Workspace ws;
    compareFolders(ws, pair, 0);
    ASSERT_EQ(ws.fgF.rows(), 3);
    EXPECT_EQ(ws.DiffCount, 1);
    for (int r = 1; r < 3; ++r)
        EXPECT_EQ(colouredCells(ws, r).isEmpty(), ws.fgF.text(r, 0) == QLatin1String("equal.bin"))
            << ws.fgF.text(r, 0).toStdString();
}

TEST(FolderContentComparer, AnswersEveryPairInOrderAndGivesUpTheRestWhenStopped) {
    FolderPair pair;
    QStringList names;
    std::vector<ContentJob> jobs;
    for (int i = 0; i < 6; ++i)
        names << QStringLiteral("f%1").arg(i);
    for (int i = 0; i < 6; ++i) {
        pair.file(0, names[i].toUtf8(), "ab");
        pair.file(1, names[i].toUtf8(), i % 2 ? "ac" : "ab");
        jobs.push_back({names[i], 2, 2});
    }
    const std::function<bool()> never = [] { return false; };
    std::atomic<bool> abort = false;
    {
        ContentComparer contents(1, pair.dir(0), pair.dir(1), jobs, abort);
        for (size_t i = 0; i < jobs.size(); ++i)
            EXPECT_EQ(contents.result(i, never).differs, i % 2 == 1) << i;
    }
    // Stopped before the second thread took a pair: the pairs it would have compared are
    // answered as stopped at once, none is waited for.
    abort = true;
    ContentComparer contents(1, pair.dir(0), pair.dir(1), jobs, abort);
    EXPECT_THROW(contents.result(1, never), StoppedInFile);
    EXPECT_THROW(contents.result(3, never), StoppedInFile);
}
