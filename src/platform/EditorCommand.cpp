#include "platform/EditorCommand.h"

#include <QProcess>
#include <QStringList>

QString expandEditorCommand(const QString &templateText, const QString &path,
                            const QString &lineNumber) {
    QString command = templateText;
    command.replace(QLatin1String("%L"), lineNumber);
    command.replace(QLatin1String("%l"), lineNumber);
    command.replace(QLatin1String("%F"), path);
    command.replace(QLatin1String("%f"), path);
    return command;
}

bool startCommandLine(const QString &commandLine) {
    QStringList parts = QProcess::splitCommand(commandLine);
    if (parts.isEmpty())
        return false;
    const QString program = parts.takeFirst();
    return QProcess::startDetached(program, parts);
}

QString defaultEditorCommand() {
#ifdef Q_OS_WIN
    return QStringLiteral("notepad %F");
#else
    return QStringLiteral("xdg-open %F");
#endif
}
