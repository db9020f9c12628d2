#pragma once

#include <QRegularExpression>
#include <QString>

// The names a folder comparison leaves out at every level: a semicolon-separated list of
// wildcard patterns (".git;*.o;node_modules;~$*"), matched against the whole entry name with
// letter case as the file system keeps it. Blank items are ignored; an empty list leaves out
// nothing.
class NameExclusions {
public:
    NameExclusions() = default;
    explicit NameExclusions(const QString &patterns);
    bool isEmpty() const { return !m_any; }
    bool excludes(const QString &name) const { return m_any && m_re.match(name).hasMatch(); }

private:
    bool m_any = false;
    QRegularExpression m_re;
};
