#include "folder/NameExclusions.h"

#include <QStringList>

NameExclusions::NameExclusions(const QString &patterns) {
    QStringList alternatives;
    for (const QString &item : patterns.split(u';')) {
        const QString pattern = item.trimmed();
        if (!pattern.isEmpty())
            alternatives << QRegularExpression::wildcardToRegularExpression(pattern);
    }
    if (alternatives.isEmpty())
        return;
    // Each alternative is anchored to the whole name already.
    m_re = QRegularExpression(QStringLiteral("(?:") + alternatives.join(u'|') + u')');
    m_any = m_re.isValid();
}
