#pragma once

#include "engine/Workspace.h"
#include "folder/SearchFile.h"
#include "platform/NativePath.h"
#include "run/GridFill.h"

#include <QDateTime>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Two folders "left" and "right" in a temporary folder, filled through raw byte names so that
// names which are not UTF-8 can be made (and removed: QTemporaryDir cannot remove them).
class FolderPair {
public:
    // 2024-05-06 07:08:09.000 local time: every fixture entry gets it unless told otherwise.
    static qint64 defaultTime() {
        return QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9), Qt::LocalTime).toMSecsSinceEpoch();
    }

    FolderPair() {
        EXPECT_TRUE(m_root.isValid());
        for (int side = 0; side < 2; ++side)
            EXPECT_EQ(::mkdir(encodeNativeName(dir(side)).constData(), 0755), 0);
    }
    ~FolderPair() { removeTree(m_root.path()); }

    QString dir(int side) const {
        return fJoinPath(m_root.path(),
                         side == 0 ? QStringLiteral("left") : QStringLiteral("right"));
    }
    QString path(int side, const QByteArray &rawName) const {
        return fJoinPath(dir(side), decodeNativeName(rawName));
    }

    QString file(int side, const QByteArray &rawName, const QByteArray &content,
                 qint64 timeMs = defaultTime()) const {
        const QString p = path(side, rawName);
        const int fd = ::open(encodeNativeName(p).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        EXPECT_GE(fd, 0);
        EXPECT_EQ(::write(fd, content.constData(), size_t(content.size())), content.size());
        ::close(fd);
        setTime(p, timeMs);
        return p;
    }
    QString folder(int side, const QByteArray &rawName, qint64 timeMs = defaultTime()) const {
        const QString p = path(side, rawName);
        EXPECT_EQ(::mkdir(encodeNativeName(p).constData(), 0755), 0);
        setTime(p, timeMs);
        return p;
    }
    void link(int side, const QByteArray &rawName, const QByteArray &target) const {
        EXPECT_EQ(::symlink(target.constData(), encodeNativeName(path(side, rawName)).constData()),
                  0);
        // A link's own time is its creation time; both sides get one so a run that crosses a
        // second boundary does not mark links different by date.
        setTime(path(side, rawName), defaultTime(), AT_SYMLINK_NOFOLLOW);
    }
    // Both sides get the same entry.
    void both(const QByteArray &rawName, const QByteArray &content) const {
        file(0, rawName, content);
        file(1, rawName, content);
    }

    static void setTime(const QString &p, qint64 ms, int flags = 0) {
        timespec times[2];
        times[0].tv_sec = times[1].tv_sec = time_t(ms / 1000);
        times[0].tv_nsec = times[1].tv_nsec = long(ms % 1000) * 1000000;
        EXPECT_EQ(::utimensat(AT_FDCWD, encodeNativeName(p).constData(), times, flags), 0);
    }

    static void removeTree(const QString &p) {
        NativeStat st;
        if (nativeStat(p, &st, false) && st.isDir) {
            QStringList names;
            listFolder(p, [&](const QString &name) {
                names.append(name);
                return true;
            });
            for (const QString &name : names)
                removeTree(fJoinPath(p, name));
            ::rmdir(encodeNativeName(p).constData());
        } else {
            ::unlink(encodeNativeName(p).constData());
        }
    }

private:
    QTemporaryDir m_root;
};

// A workspace as a run leaves it before the folder scan.
inline void prepareFolders(Workspace &ws, int contentMode = 0, bool onlyDifferences = false) {
    resetGridHeaders(ws);
    ws.folderContentMode = contentMode;
    ws.OnlyDF = onlyDifferences;
    ws.DiffCount = ws.LeftOnlyCount = ws.RightOnlyCount = 0;
    ws.runProblems.clear();
}

inline void compareFolders(Workspace &ws, const FolderPair &pair, int contentMode = 0,
                           bool onlyDifferences = false) {
    prepareFolders(ws, contentMode, onlyDifferences);
    SearchFile(ws, pair.dir(0), QStringLiteral("*.*"), 0, pair.dir(1));
}

// The data row whose name column (0 or 4) holds name; 0 when there is none.
inline int rowOf(const Workspace &ws, const QString &name, int col = 0) {
    for (int r = 1; r < ws.fgF.rows(); ++r)
        if (ws.fgF.text(r, col) == name)
            return r;
    return 0;
}

// Indexes of the coloured cells of a row (columns 0-7), as a compact string like "0,4".
inline QString colouredCells(const Workspace &ws, int r) {
    QStringList cells;
    for (int c = 0; c < 8; ++c)
        if (ws.fgF.backColor(r, c) != ResultGrid::DefaultColor)
            cells.append(QString::number(c));
    return cells.join(QLatin1Char(','));
}
