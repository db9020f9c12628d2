#include "platform/EditorCommand.h"
#include "support/HangGuard.h"
#include "support/TempFiles.h"

#include <QDir>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

// File names a shell would split, unquote or run.
const QStringList HostileNames = {
    "my file.txt",           "it's \"quoted\".txt",       "$(touch pwned).txt",
    "a; touch pwned2 #.txt", "back\\slash `x` 100%L.txt",
};

QStringList entriesOf(const QString &folder) {
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    names.sort();
    return names;
}

} // namespace

TEST(EditorCommand, TemplateWordsAreGroupedAsAShellGroupsThem) {
    const struct {
        QString line;
        QStringList words;
    } cases[] = {
        {"  ed\t -n  ", {"ed", "-n"}},
        {"'a b' \"c d\" e\\ f", {"a b", "c d", "e f"}},
        {"\"say \\\"hi\\\" \\n\" 'it'\\''s'", {"say \"hi\" \\n", "it's"}},
        {"x '' \"\"", {"x", "", ""}},
        {"echo $(id);ls `pwd`", {"echo", "$(id);ls", "`pwd`"}}, // nothing is expanded or run
    };
    for (const auto &c : cases)
        EXPECT_EQ(splitCommandWords(c.line), c.words) << c.line.toStdString();
    for (const QString open : {"ed \"%F", "ed '%F", "ed %F\\"})
        EXPECT_EQ(splitCommandWords(open), std::nullopt) << open.toStdString();
}

TEST(EditorCommand, PathAndLineAreSubstitutedInsideEachWord) {
    EXPECT_EQ(editorCommand("xdg-open %F", "/tmp/my dir/my file.txt", "12"),
              QStringList({"xdg-open", "/tmp/my dir/my file.txt"}));
    EXPECT_EQ(editorCommand("ed \"%F\" +%L -n %l --file=%f", "/a b", "7"),
              QStringList({"ed", "/a b", "+7", "-n", "7", "--file=/a b"}));
    // A path holding a placeholder is inserted as it is, never substituted again.
    EXPECT_EQ(editorCommand("ed %F:%L", "/t/100%L %f.txt", "3"),
              QStringList({"ed", "/t/100%L %f.txt:3"}));
    EXPECT_EQ(editorCommand("   ", "/a", "1"), QStringList());
    EXPECT_EQ(editorCommand("ed \"%F", "/a", "1"), QStringList());
    EXPECT_FALSE(startCommand({}));
}

TEST(EditorCommand, RealProcessCreatesExactlyTheNamedFile) {
    TempFiles dir;
    for (const QString &name : HostileNames) {
        const QString path = dir.write(name, "x");
        const QStringList before = entriesOf(dir.path());
        const QStringList command = editorCommand("/usr/bin/touch %F.%L", path, "42");
        ASSERT_EQ(command.size(), 2) << name.toStdString();
        EXPECT_EQ(QProcess::execute(command[0], command.mid(1)), 0) << name.toStdString();
        QStringList expected = before;
        expected << name + ".42";
        expected.sort();
        EXPECT_EQ(entriesOf(dir.path()), expected) << name.toStdString();
    }

    // The detached start the window uses passes the same single argument.
    const QString path = dir.write("last one; $(x).txt", "x");
    ASSERT_TRUE(startCommand(editorCommand("/usr/bin/touch '%F'.%L", path, "9")));
    EXPECT_TRUE(pollUntil([&] { return QFileInfo::exists(path + ".9"); }));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("pwned")));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("pwned2")));
}

TEST(EditorCommand, PickedProgramPathStaysOneWord) {
    EXPECT_EQ(quoteCommandWord("/usr/bin/gedit"), QStringLiteral("/usr/bin/gedit"));
    for (const QString &name : HostileNames) {
        const QString path = "/opt/" + name;
        EXPECT_EQ(splitCommandWords(quoteCommandWord(path) + " %F"), QStringList({path, "%F"}))
            << name.toStdString();
    }
}
