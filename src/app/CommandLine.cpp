#include "app/CommandLine.h"

QStringList SplitCommandLine(const QString &s) {
    if (s.isEmpty())
        return {};
    if (s.front() != u'"')
        return s.split(u' ');
    if (s.size() < 2)
        return {};
    const QString inner = s.mid(1, s.size() - 2);
    QStringList parts = inner.split(QStringLiteral("\"  \""));
    if (parts.size() == 1)
        parts = inner.split(QStringLiteral("\" \""));
    return parts;
}

QString stripProgramPath(const QString &commandLine) {
    const bool quoted = commandLine.startsWith(u'"');
    const QString separator = quoted ? QStringLiteral("\" ") : QStringLiteral(" ");
    const qsizetype at = commandLine.indexOf(separator);
    if (at < 0)
        return QString();
    return commandLine.mid(at + separator.size()).trimmed();
}
