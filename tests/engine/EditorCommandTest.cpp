#include "platform/EditorCommand.h"

#include <QProcess>

#include <gtest/gtest.h>

TEST(EditorCommand, SubstitutesEveryPlaceholder) {
    EXPECT_EQ(expandEditorCommand("notepad %F", "/tmp/my file.txt", "12"),
              QStringLiteral("notepad /tmp/my file.txt"));
    EXPECT_EQ(expandEditorCommand("ed \"%F\" +%L -n %l", "/a b", "7"),
              QStringLiteral("ed \"/a b\" +7 -n 7"));
}

TEST(EditorCommand, FileNameWithShellCharactersStaysOneArgument) {
    // Quoted in the template, a name with ; $( ) and spaces is one argument, never a command.
    const QString command =
        expandEditorCommand("editor \"%F\"", "/tmp/x; rm -rf $(echo y).txt", "1");
    EXPECT_EQ(QProcess::splitCommand(command),
              QStringList({"editor", "/tmp/x; rm -rf $(echo y).txt"}));
    EXPECT_FALSE(startCommandLine(QString()));
}
