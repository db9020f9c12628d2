#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <ftw.h>

// A temporary folder for a test's fixtures, with the two operations every file test needs.
class TempFiles {
public:
    TempFiles() = default;
    TempFiles(const TempFiles &) = delete;
    TempFiles &operator=(const TempFiles &) = delete;
    // Qt cannot remove a name that is not UTF-8: what the folder holds goes by its bytes first.
    ~TempFiles() {
        const auto removeEntry = [](const char *path, const struct stat *, int, struct FTW *at) {
            if (at->level > 0)
                std::remove(path);
            return 0;
        };
        ::nftw(QFile::encodeName(m_dir.path()).constData(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
    }

    // Writes bytes to a file of that name in the folder (sub-folders are made as needed) and
    // returns its path.
    QString write(const QString &name, const QByteArray &bytes) {
        const QString path = m_dir.filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
        EXPECT_EQ(f.write(bytes), bytes.size());
        return path;
    }

    // The whole file, or nothing when it cannot be read.
    static QByteArray read(const QString &path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QString path() const { return m_dir.path(); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};
