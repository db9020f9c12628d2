#pragma once

// Office files from outside the project (old, odd and damaged ones that other readers open),
// kept beside the checkout in ../shared/corpus/office. A checkout made as a worktree one folder
// deeper finds them one level further up. Tests that use them skip where they are absent.

#include <QDir>
#include <QFileInfo>
#include <QString>

namespace OfficeCorpus {

inline QString file(const QString &name) {
    for (const char *up : {"/../shared/corpus/office/", "/../../shared/corpus/office/"}) {
        const QString path =
            QDir::cleanPath(QStringLiteral(CORVANE_SOURCE_DIR) + QLatin1String(up) + name);
        if (QFileInfo::exists(path))
            return path;
    }
    return QString();
}

} // namespace OfficeCorpus

// Sets var to the corpus file's path, or skips the test when the corpus is not there.
#define OFFICE_CORPUS_FILE(var, name)                                                              \
    const QString var = OfficeCorpus::file(QStringLiteral(name));                                  \
    if (var.isEmpty())                                                                             \
    GTEST_SKIP() << "office corpus not present: " << name
