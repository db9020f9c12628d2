// The real program in batch mode against hostile and broken sources. Every run must end within
// its time bound with a result (status 0 or 1, the summary on stdout) or with status 2 and one
// line on stderr, and must touch nothing outside its own temporary folder.
#include "sheet/SheetFixtures.h"
#include "support/HangGuard.h"
#include "support/TempFiles.h"
#include "support/XlsBuilder.h"

#include <QDirIterator>
#include <QProcess>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

struct RunResult {
    bool finished = false;
    bool crashed = false;
    int status = -1;
    QString out;
    QString err;
};

// What every run must end with. Returns a description of the failure, or nothing.
::testing::AssertionResult endsCleanly(const RunResult &r) {
    if (!r.finished)
        return ::testing::AssertionFailure() << "did not finish in time";
    if (r.crashed)
        return ::testing::AssertionFailure() << "crashed; stderr: " << r.err.toStdString();
    if (r.status == 0 || r.status == 1) {
        if (!r.out.startsWith(QStringLiteral("完了")) || !r.err.isEmpty())
            return ::testing::AssertionFailure()
                   << "status " << r.status << " without a clean summary: " << r.out.toStdString()
                   << " / " << r.err.toStdString();
        return ::testing::AssertionSuccess();
    }
    if (r.status == 2) {
        if (r.err.count(QLatin1Char('\n')) != 1 || !r.err.endsWith(QLatin1Char('\n')) ||
            !r.err.startsWith(QStringLiteral("corvane: ")))
            return ::testing::AssertionFailure()
                   << "trouble not told in one line: [" << r.err.toStdString() << "]";
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "exit status " << r.status;
}

class BadInputBatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDir().mkpath(dir.filePath("bin")));
        ASSERT_TRUE(QDir().mkpath(dir.filePath("home")));
        ASSERT_TRUE(QDir().mkpath(dir.filePath("case")));
        // A copy of the program in a folder of its own, so that its setting.ini is ours.
        program = dir.filePath("bin/corvane");
        ASSERT_TRUE(QFile::copy(QStringLiteral(CORVANE_BINARY), program));
    }

    QString write(const QString &name, const QByteArray &bytes) {
        return dir.write("case/" + name, bytes);
    }
    QString casePath(const QString &name) const { return dir.filePath("case/" + name); }
    void setting(const QByteArray &lines) { dir.write("bin/setting.ini", "[Corvane]\r\n" + lines); }

    // Every path in the temporary folder with its size and change time, the program's home
    // excluded (Qt may keep caches there).
    QStringList snapshot() const {
        QStringList all;
        QDirIterator it(dir.path(),
                        QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (path.startsWith(dir.filePath("home")))
                continue;
            struct stat st {};
            ::lstat(QFile::encodeName(path).constData(), &st);
            all << QStringLiteral("%1 %2 %3.%4")
                       .arg(path)
                       .arg(st.st_size)
                       .arg(st.st_mtim.tv_sec)
                       .arg(st.st_mtim.tv_nsec);
        }
        all.sort();
        return all;
    }

    RunResult run(const QStringList &args, int limitMs = HangGuardMs) {
        const QString output = args.value(args.indexOf(QStringLiteral("/o")) + 1);
        // The output file itself may be written, replaced or removed.
        const auto withoutOutput = [&output](QStringList lines) {
            lines.erase(std::remove_if(lines.begin(), lines.end(),
                                       [&](const QString &line) {
                                           return line.startsWith(output + QLatin1Char(' '));
                                       }),
                        lines.end());
            return lines;
        };
        const QStringList before = withoutOutput(snapshot());
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        // Anything the program or Qt might keep for the user stays in the case's folder.
        const QString home = dir.filePath("home");
        env.insert(QStringLiteral("HOME"), home);
        env.insert(QStringLiteral("TMPDIR"), home);
        env.insert(QStringLiteral("XDG_CACHE_HOME"), home + "/cache");
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + "/config");
        env.insert(QStringLiteral("XDG_DATA_HOME"), home + "/data");
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home);
        p.setProcessEnvironment(env);
        p.start(program, args);
        RunResult r;
        r.finished = p.waitForFinished(limitMs);
        if (!r.finished) {
            p.kill();
            p.waitForFinished(5000);
        }
        r.crashed = p.exitStatus() == QProcess::CrashExit;
        r.status = p.exitCode();
        r.out = QString::fromUtf8(p.readAllStandardOutput());
        r.err = QString::fromUtf8(p.readAllStandardError());
        // Sources, the program and its setting.ini are as they were; only the output is new.
        const QStringList after = withoutOutput(snapshot());
        if (after != before) {
            QStringList changed;
            for (const QString &line : after)
                if (!before.contains(line))
                    changed << "+ " + line;
            for (const QString &line : before)
                if (!after.contains(line))
                    changed << "- " + line;
            ADD_FAILURE() << "files changed besides the output:\n"
                          << changed.join('\n').toStdString();
        }
        return r;
    }

    RunResult compare(const QString &left, const QString &right, const QString &ext = "csv") {
        return run({left, right, "/o", dir.filePath("out." + ext)});
    }

    TempFiles dir;
    QString program;
};

QByteArray validXlsx(const QString &path) {
    const SheetFixtures::Parts parts = SheetFixtures::workbookParts(
        {{"One", SheetFixtures::sheetXml("<row r=\"1\"><c r=\"A1\"><v>1</v></c><c r=\"B1\" "
                                         "t=\"inlineStr\"><is><t>TEXT</t></is></c></row>")}});
    EXPECT_TRUE(SheetFixtures::writeZip(path, parts));
    return TempFiles::read(path);
}

QByteArray validDocx(const QString &path, const QByteArray &documentXml = QByteArray()) {
    const QByteArray xml =
        documentXml.isEmpty()
            ? "<?xml version=\"1.0\"?><w:document xmlns:w=\"http://schemas.openxmlformats.org/"
              "wordprocessingml/2006/main\"><w:body><w:p><w:r><w:t>PARAGRAPH ONE</w:t></w:r>"
              "</w:p><w:p><w:r><w:t>PARAGRAPH TWO</w:t></w:r></w:p></w:body></w:document>"
            : documentXml;
    EXPECT_TRUE(SheetFixtures::writeZip(path, {{"word/document.xml", xml}}));
    return TempFiles::read(path);
}

const QByteArray BillionLaughs = "<!DOCTYPE lolz [<!ENTITY lol \"lol\">"
                                 "<!ENTITY l1 \"&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;\">"
                                 "<!ENTITY l2 \"&l1;&l1;&l1;&l1;&l1;&l1;&l1;&l1;&l1;&l1;\">"
                                 "<!ENTITY l3 \"&l2;&l2;&l2;&l2;&l2;&l2;&l2;&l2;&l2;&l2;\">"
                                 "<!ENTITY l4 \"&l3;&l3;&l3;&l3;&l3;&l3;&l3;&l3;&l3;&l3;\">"
                                 "<!ENTITY l5 \"&l4;&l4;&l4;&l4;&l4;&l4;&l4;&l4;&l4;&l4;\">"
                                 "<!ENTITY l6 \"&l5;&l5;&l5;&l5;&l5;&l5;&l5;&l5;&l5;&l5;\">"
                                 "<!ENTITY l7 \"&l6;&l6;&l6;&l6;&l6;&l6;&l6;&l6;&l6;&l6;\">"
                                 "<!ENTITY l8 \"&l7;&l7;&l7;&l7;&l7;&l7;&l7;&l7;&l7;&l7;\">"
                                 "<!ENTITY l9 \"&l8;&l8;&l8;&l8;&l8;&l8;&l8;&l8;&l8;&l8;\">]>";

} // namespace

TEST_F(BadInputBatchTest, TruncatedAndCorruptedPackagesAreRefused) {
    const QByteArray xlsx = validXlsx(casePath("good.xlsx"));
    const QByteArray docx = validDocx(casePath("good.docx"));
    for (const auto &[name, good] : {std::pair{QString("xlsx"), xlsx}, {QString("docx"), docx}}) {
        const QString reference = casePath("good." + name);
        // Cut anywhere: in a local header, in compressed data, in the central directory.
        for (const qsizetype keep :
             {qsizetype(10), good.size() / 3, good.size() / 2, good.size() - 30, good.size() - 1}) {
            const QString bad =
                write(QStringLiteral("cut%1.%2").arg(keep).arg(name), good.left(keep));
            const RunResult r = compare(bad, reference);
            EXPECT_TRUE(endsCleanly(r)) << name.toStdString() << " cut at " << keep;
            EXPECT_EQ(r.status, 2) << name.toStdString() << " cut at " << keep;
        }
        // Bytes overwritten throughout: each result must be a clean refusal or a comparison.
        for (qsizetype at = 0; at < good.size(); at += good.size() / 12) {
            QByteArray damaged = good;
            for (qsizetype k = at; k < std::min(good.size(), at + 8); ++k)
                damaged[k] = char(damaged[k] ^ 0x5A);
            const QString bad = write(QStringLiteral("flip%1.%2").arg(at).arg(name), damaged);
            EXPECT_TRUE(endsCleanly(compare(bad, reference))) << name.toStdString() << " at " << at;
        }
    }
}

// Legacy workbooks cut short or overwritten: the compound file library's complaints about them
// stay off stderr, which holds the one line of the refusal.
TEST_F(BadInputBatchTest, DamagedXlsWorkbooksAreRefusedInOneLine) {
    XlsBuilder::Book book;
    book.sharedStrings = XlsBuilder::sst({QStringLiteral("共有")});
    QByteArray cells;
    for (int row = 0; row < 400; ++row)
        cells += XlsBuilder::number(row, 0, row) + XlsBuilder::labelSst(row, 1, 0) +
                 XlsBuilder::formulaText(row, 2, QStringLiteral("結果"));
    book.sheets = {{QStringLiteral("S"), cells}};
    ASSERT_TRUE(XlsBuilder::write(casePath("good.xls"), book));
    const QByteArray good = TempFiles::read(casePath("good.xls"));
    const QString reference = casePath("good.xls");
    for (const qsizetype keep : {qsizetype(10), qsizetype(600), good.size() / 2, good.size() - 1}) {
        const RunResult r =
            compare(write(QStringLiteral("cut%1.xls").arg(keep), good.left(keep)), reference);
        EXPECT_TRUE(endsCleanly(r)) << "cut at " << keep;
        EXPECT_EQ(r.status, 2) << "cut at " << keep;
    }
    for (qsizetype at = 0; at < good.size(); at += good.size() / 12) {
        QByteArray damaged = good;
        for (qsizetype k = at; k < std::min(good.size(), at + 8); ++k)
            damaged[k] = char(damaged[k] ^ 0x5A);
        const QString bad = write(QStringLiteral("flip%1.xls").arg(at), damaged);
        EXPECT_TRUE(endsCleanly(compare(bad, reference))) << "at " << at;
    }
}

TEST_F(BadInputBatchTest, ZipBombsAreRefusedWithoutExhaustingMemory) {
    // One entry that inflates past the per-entry limit (513 MB of zeros in about 500 KB).
    const QByteArray zeros(513 * 1024 * 1024, '\0');
    ASSERT_TRUE(SheetFixtures::writeZip(casePath("bomb.docx"), {{"word/document.xml", zeros}}));
    // More entries than any document has.
    SheetFixtures::Parts many;
    for (int k = 0; k < 10001; ++k)
        many << qMakePair(QStringLiteral("p/%1").arg(k), QByteArray());
    many << qMakePair(QStringLiteral("word/document.xml"), QByteArray("<w:document/>"));
    ASSERT_TRUE(SheetFixtures::writeZip(casePath("many.docx"), many));
    // An entry that inflates to far more than its headers declare.
    const QByteArray bigXml = "<?xml version=\"1.0\"?><w:document xmlns:w=\"http://schemas."
                              "openxmlformats.org/wordprocessingml/2006/main\"><w:body>" +
                              QByteArray(64 * 1024 * 1024, ' ') + "</w:body></w:document>";
    QByteArray liar = validDocx(casePath("liar.docx"), bigXml);
    // Both size fields (local header at 22, central directory at 24) claim 1000 bytes.
    const QByteArray declared = QByteArray::fromRawData("\xE8\x03\x00\x00", 4);
    liar.replace(22, 4, declared);
    const qsizetype central = liar.lastIndexOf(QByteArray("PK\x01\x02", 4));
    ASSERT_GT(central, 0);
    liar.replace(central + 24, 4, declared);
    write("liar.docx", liar);
    const QString reference = write("ref.txt", "PARAGRAPH ONE\n");
    for (const char *name : {"bomb.docx", "many.docx", "liar.docx"}) {
        const RunResult r = compare(casePath(name), reference);
        EXPECT_TRUE(endsCleanly(r)) << name;
        EXPECT_EQ(r.status, 2) << name;
    }
}

TEST_F(BadInputBatchTest, EntityExpansionIsRefused) {
    const QByteArray word = "<?xml version=\"1.0\"?>" + BillionLaughs +
                            "<w:document xmlns:w=\"http://schemas.openxmlformats.org/"
                            "wordprocessingml/2006/main\"><w:body><w:p><w:r><w:t>&l9;</w:t>"
                            "</w:r></w:p></w:body></w:document>";
    validDocx(casePath("laughs.docx"), word);
    const QByteArray external = "<?xml version=\"1.0\"?><!DOCTYPE d [<!ENTITY x SYSTEM "
                                "\"file:///etc/passwd\">]><w:document xmlns:w=\"http://schemas."
                                "openxmlformats.org/wordprocessingml/2006/main\"><w:body><w:p>"
                                "<w:r><w:t>&x;</w:t></w:r></w:p></w:body></w:document>";
    validDocx(casePath("external.docx"), external);
    ASSERT_TRUE(SheetFixtures::writeZip(
        casePath("laughs.xlsx"),
        SheetFixtures::workbookParts(
            {{"One", "<?xml version=\"1.0\"?>" + BillionLaughs +
                         "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/"
                         "2006/main\"><sheetData><row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is>"
                         "<t>&l9;</t></is></c></row></sheetData></worksheet>"}})));
    const QString reference = write("ref.txt", "PARAGRAPH ONE\n");
    validXlsx(casePath("ref.xlsx"));
    for (const auto &[name, other] : {std::pair{"laughs.docx", reference},
                                      {"external.docx", reference},
                                      {"laughs.xlsx", casePath("ref.xlsx")}}) {
        const RunResult r = compare(casePath(name), other);
        EXPECT_TRUE(endsCleanly(r)) << name;
        EXPECT_FALSE(r.out.contains("root:")) << name;
        // The sheet lists are read without cells, so the workbook may compare; a document
        // with a DTD is refused.
        if (QString(name).endsWith("docx")) {
            EXPECT_EQ(r.status, 2) << name;
        }
    }
}

TEST_F(BadInputBatchTest, WorkbooksAtAndBeyondTheSheetLimits) {
    const auto book = [&](const QString &name, const QByteArray &before, const QByteArray &rows) {
        EXPECT_TRUE(SheetFixtures::writeZip(
            casePath(name),
            SheetFixtures::workbookParts({{"Edge", SheetFixtures::sheetXml(rows, before)}})));
        return casePath(name);
    };
    const QString corner = book("corner.xlsx", "<dimension ref=\"A1:XFD1048576\"/>",
                                "<row r=\"1048576\"><c r=\"XFD1048576\"><v>1</v></c></row>");
    const QString beyond = book("beyond.xlsx", "<dimension ref=\"A1:XFE1048577\"/>",
                                "<row r=\"1048577\"><c r=\"XFE1048577\"><v>1</v></c></row>");
    const QString lying = book("lying.xlsx", "<dimension ref=\"A0:ZZZZZ99999999999\"/>",
                               "<row r=\"-5\"><c r=\"A-5\"><v>1</v></c><c r=\"\"><v>2</v></c>"
                               "<c r=\"ZZZZZZZZZZ1\"><v>3</v></c></row>");
    const QString empty = book("empty.xlsx", "", "");
    // A CSV row one column past the limit, and one on it.
    write("wide.csv", QByteArray(16384, ',') + "\n");
    write("edge.csv", QByteArray(16383, ',') + "X\n");
    validXlsx(casePath("ref.xlsx"));
    for (const QString &path : {corner, beyond, lying, empty}) {
        const RunResult r = compare(path, casePath("ref.xlsx"));
        EXPECT_TRUE(endsCleanly(r)) << path.toStdString();
    }
    setting("Csv=1\r\n");
    const RunResult csv = compare(casePath("wide.csv"), casePath("edge.csv"));
    EXPECT_TRUE(endsCleanly(csv));
}

TEST_F(BadInputBatchTest, TwoGigabyteSparseFileIsRefusedInTextAndBinaryMode) {
    const QString huge = casePath("huge.bin");
    write("huge.bin", QByteArray());
    ASSERT_EQ(::truncate(QFile::encodeName(huge).constData(), qint64(2) << 30), 0);
    const QString small = write("small.txt", "SMALL FILE\n");
    for (const QByteArray &mode : {QByteArray("Binary=0\r\n"), QByteArray("Binary=1\r\n")}) {
        setting(mode);
        for (const auto &[left, right] : {std::pair{huge, small}, {small, huge}}) {
            const RunResult r = compare(left, right);
            EXPECT_TRUE(endsCleanly(r)) << mode.constData();
            EXPECT_EQ(r.status, 2) << mode.constData();
            EXPECT_TRUE(r.err.contains(QStringLiteral("1 GB"))) << r.err.toStdString();
        }
    }
}

TEST_F(BadInputBatchTest, PipesAreNeverOpenedForReading) {
    const QString fifo = casePath("pipe");
    write("x", QByteArray());
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const char *name : {"pipe.xlsx", "pipe.docx", "pipe.csv", "pipe.xls", "pipe.odt"})
        ASSERT_EQ(::mkfifo(QFile::encodeName(casePath(name)).constData(), 0600), 0);
    const QString small = write("small.txt", "SMALL FILE\n");
    for (const QByteArray &mode :
         {QByteArray("Binary=0\r\n"), QByteArray("Binary=1\r\n"), QByteArray("Csv=1\r\n")}) {
        setting(mode);
        for (const char *name :
             {"pipe", "pipe.xlsx", "pipe.docx", "pipe.csv", "pipe.xls", "pipe.odt"}) {
            const RunResult r = run({casePath(name), small, "/o", dir.filePath("out.csv")});
            EXPECT_TRUE(endsCleanly(r)) << name << " " << mode.constData();
            EXPECT_EQ(r.status, 2) << name << " " << mode.constData();
            const RunResult reversed = run({small, casePath(name), "/o", dir.filePath("out.csv")});
            EXPECT_TRUE(endsCleanly(reversed)) << name << " " << mode.constData();
        }
    }
}

TEST_F(BadInputBatchTest, FoldersWithHostileEntries) {
    for (const char *side : {"L", "R"}) {
        const QString folder = casePath(side);
        QDir().mkpath(folder);
        const QByteArray raw = QFile::encodeName(folder);
        // A name with a line break, one that is not UTF-8, a link loop, a link to the folder
        // itself, a dangling link and a pipe.
        write(QStringLiteral("%1/line\nbreak.txt").arg(side), "SAME\n");
        const QByteArray invalid = raw + "/bad\xFF\xFE name.txt";
        FILE *out = std::fopen(invalid.constData(), "w");
        ASSERT_NE(out, nullptr);
        std::fputs(side, out);
        std::fclose(out);
        ::symlink("loop2", (raw + "/loop1").constData());
        ::symlink("loop1", (raw + "/loop2").constData());
        ::symlink(".", (raw + "/self").constData());
        ::symlink("nowhere", (raw + "/dangling").constData());
        ::mkfifo((raw + "/pipe").constData(), 0600);
        // /proc/self/mem stats as a regular empty file but cannot be read.
        ::symlink("/proc/self/mem", (raw + "/unreadable").constData());
    }
    for (const QByteArray &mode :
         {QByteArray("FFile=0\r\n"), QByteArray("FFile=1\r\n"), QByteArray("FFile=2\r\n")}) {
        setting(mode);
        const RunResult r = compare(casePath("L"), casePath("R"));
        EXPECT_TRUE(endsCleanly(r)) << mode.constData();
    }
    // One folder alone, and the loops named directly.
    setting("FFile=1\r\n");
    EXPECT_TRUE(endsCleanly(compare(casePath("L"), casePath("nothing-here"))));
    EXPECT_TRUE(endsCleanly(compare(casePath("L/loop1"), casePath("R/loop1"))));
    EXPECT_TRUE(endsCleanly(compare(casePath("L/self"), casePath("R/self"))));
    const RunResult named = compare(casePath("L/line\nbreak.txt"), casePath("nope\nx"));
    EXPECT_TRUE(endsCleanly(named));
    EXPECT_EQ(named.status, 2);
    EXPECT_TRUE(named.err.contains(QStringLiteral("nope\\nx"))) << named.err.toStdString();
    // QTemporaryDir cannot remove names that are not UTF-8.
    for (const char *side : {"L", "R"})
        ::unlink((QFile::encodeName(casePath(side)) + "/bad\xFF\xFE name.txt").constData());
}

TEST_F(BadInputBatchTest, TenThousandEntriesOfOnePrefix) {
    for (const char *side : {"L", "R"}) {
        const QByteArray folder = QFile::encodeName(casePath(side));
        ASSERT_TRUE(QDir().mkpath(casePath(side)));
        for (int k = 0; k < 10000; ++k) {
            const QByteArray name =
                folder + "/entry_" + QByteArray::number(k).rightJustified(5, '0');
            FILE *out = std::fopen(name.constData(), "w");
            ASSERT_NE(out, nullptr);
            if (k % 1000 == 0 && side[0] == 'R')
                std::fputs("changed", out);
            std::fclose(out);
        }
    }
    for (const QByteArray &mode : {QByteArray("FFile=0\r\n"), QByteArray("FFile=1\r\n")}) {
        setting(mode);
        const RunResult r = compare(casePath("L"), casePath("R"));
        EXPECT_TRUE(endsCleanly(r)) << mode.constData();
        EXPECT_EQ(r.status, 1) << mode.constData();
    }
}
