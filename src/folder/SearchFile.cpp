#include "folder/SearchFile.h"

#include "encoding/Charset.h"
#include "encoding/DetectEncoding.h"
#include "engine/Workspace.h"
#include "folder/modMD5.h"
#include "platform/FileReader.h"
#include "platform/NativePath.h"
#include "platform/Paths.h"

#include <QHash>
#include <QRegularExpression>

#include <cerrno>

#include <vector>

namespace {

const QString FolderType = QStringLiteral("フォルダ");
const QString CannotList = QStringLiteral("読み取れません: ");
const QString ScanStatus = QStringLiteral("解析中です... (Escキー長押しで中断)");
constexpr int ListYieldEvery = 200;
constexpr int CompareYieldEvery = 100;

// What an entry is. Kept beside the grid because the type column cannot tell a folder from a
// file whose extension happens to read "フォルダ".
enum class Kind : quint8 { None, Folder, File, Special };

struct RowKinds {
    Kind half[2] = {Kind::None, Kind::None};
};

struct Entry {
    QString name;
    Kind kind = Kind::None;
    quint64 size = 0;
    QDateTime modified;
};

enum class Examined { Listed, Vanished, Unreadable };

// A symbolic link is listed as what it points to; a broken one (or a loop) as a file of size
// 0 with the link's own time. Vanished when the entry was removed since it was listed;
// Unreadable when its status cannot be read (errno says why), which is never taken for a
// missing entry.
Examined examine(const QString &folder, const QString &name, Entry *entry) {
    const QString path = fJoinPath(folder, name);
    NativeStat st;
    if (!nativeStat(path, &st, true)) {
        if (!nativeStat(path, &st, false))
            return errno == ENOENT || errno == ENOTDIR ? Examined::Vanished : Examined::Unreadable;
        st.isDir = false;
        st.isFile = false;
        st.size = 0;
    }
    entry->name = name;
    entry->kind = st.isDir ? Kind::Folder : (st.isFile ? Kind::File : Kind::Special);
    entry->size = st.isDir ? 0 : st.size;
    entry->modified = st.modified;
    return Examined::Listed;
}

// Notes a folder or entry the scan could not read, once: a folder without search permission
// fails every entry alike, so the folder is named instead of each of its entries.
void noteUnreadable(Workspace &ws, const QString &folder, const QString &name) {
    const QString problem = CannotList + (errno == EACCES ? folder : fJoinPath(folder, name));
    if (!ws.runProblems.contains(problem))
        ws.runProblems.append(problem);
}

void listEntry(ResultGrid &g, int r, int h, const Entry &e) {
    g.setText(r, 4 * h, e.name);
    if (e.kind == Kind::Folder) {
        g.setText(r, 4 * h + 2, FolderType);
        g.setText(r, 8 + h, QStringLiteral("0"));
    } else {
        g.setText(r, 8 + h, QString::number(e.size));
        g.setText(r, 4 * h + 1, sizeTextOf(e.size));
        g.setText(r, 4 * h + 2, fGetExtension(e.name));
    }
    g.setText(r, 4 * h + 3, fFormatFileTime(e.modified));
}

void colourHalf(ResultGrid &g, int r, int h, Color color) {
    for (int c = 4 * h; c < 4 * h + 4; ++c)
        g.setBackColor(r, c, color);
}

// Wildcards the way the enumeration understood them: "*.*" means every entry.
class NameFilter {
public:
    explicit NameFilter(const QString &pattern) {
        if (pattern.isEmpty() || pattern == QLatin1String("*.*") || pattern == QLatin1String("*"))
            return;
        m_all = false;
        m_re = QRegularExpression(QRegularExpression::wildcardToRegularExpression(pattern),
                                  QRegularExpression::CaseInsensitiveOption);
    }
    bool accepts(const QString &name) const { return m_all || m_re.match(name).hasMatch(); }

private:
    bool m_all = true;
    QRegularExpression m_re;
};

// Restores redrawing and the cursor on every way out.
class ScanScope {
public:
    explicit ScanScope(Workspace &ws) : m_ws(ws) {
        m_ws.fgF.setRedraw(false);
        m_ws.setBusy(true);
    }
    ~ScanScope() {
        m_ws.fgF.setRow(1);
        m_ws.fgF.setRedraw(true);
        m_ws.setBusy(false);
    }
    ScanScope(const ScanScope &) = delete;
    ScanScope &operator=(const ScanScope &) = delete;

private:
    Workspace &m_ws;
};

// Why the content comparison stopped: "読み込めません: <path> (<reason>)".
struct ReadProblem {
    QString message;
};

// The user stopped the content comparison inside a file.
struct StoppedInFile {};

QString digestOf(const QString &path, const std::function<bool()> &stop) {
    QString digest;
    try {
        digest = GetFileMD5HashCode(path, modMD5::DefaultBlockSize, stop);
    } catch (const Md5Error &e) {
        throw ReadProblem{QStringLiteral("読み込めません: %1 (%2)").arg(path, e.description)};
    }
    if (digest.isEmpty())
        throw StoppedInFile{};
    return digest;
}

QString textOfFile(const QString &path, const std::function<bool()> &stop) {
    const WholeFile file = readWholeFile(path, MaxComparedFileBytes, stop);
    if (file.problem == FileProblem::Stopped)
        throw StoppedInFile{};
    if (!file.ok())
        throw ReadProblem{file.problemText(path)};
    return file.bytes.isEmpty() ? QString() : DecodeByName(DetectEncoding(file.bytes), file.bytes);
}

// Keeps the rows not marked, in order, in one pass. When no data row is left, one empty data
// row stays.
void removeFolderRows(ResultGrid &g, const std::vector<bool> &remove) {
    const int rows = g.rows();
    int target = 1;
    for (int r = 1; r < rows; ++r) {
        if (remove[size_t(r)])
            continue;
        if (target != r) {
            for (int c = 0; c < g.cols(); ++c) {
                g.setText(target, c, g.text(r, c));
                g.setBackColor(target, c, g.backColor(r, c));
            }
        }
        ++target;
    }
    if (target == 1) {
        for (int c = 0; c < g.cols(); ++c) {
            g.setText(1, c, QString());
            g.setBackColor(1, c, ResultGrid::DefaultColor);
        }
        target = 2;
    }
    g.setRows(target);
}

} // namespace

QString sizeTextOf(quint64 size, const QLocale &locale) {
    constexpr quint64 KB = 1024;
    constexpr quint64 MB = KB * 1024;
    constexpr quint64 GB = MB * 1024;
    quint64 unit = 0;
    QString suffix;
    if (size > GB) {
        unit = GB;
        suffix = QStringLiteral(" GB");
    } else if (size > MB) {
        unit = MB;
        suffix = QStringLiteral(" MB");
    } else if (size > KB) {
        unit = KB;
        suffix = QStringLiteral(" KB");
    } else {
        return QString::number(size) + QStringLiteral(" byte");
    }
    // Integer arithmetic: the remainder times 100 stays far below 2^64.
    const quint64 whole = size / unit;
    const quint64 hundredths = whole * 100 + ((size % unit) * 100 + unit / 2) / unit;
    QLocale grouped(locale);
    grouped.setNumberOptions(grouped.numberOptions() & ~QLocale::OmitGroupSeparator);
    const quint64 cents = hundredths % 100;
    return grouped.toString(qulonglong(hundredths / 100)) + grouped.decimalPoint() +
           QString::number(cents / 10) + QString::number(cents % 10) + suffix;
}

QString fFormatFileTime(const QDateTime &time, const QLocale &locale) {
    const QDateTime local = time.toLocalTime();
    const QString date = locale.language() == QLocale::C
                             ? local.date().toString(QStringLiteral("yyyy/MM/dd"))
                             : locale.toString(local.date(), QLocale::ShortFormat);
    return date + QLatin1Char(' ') + local.time().toString(QStringLiteral("HH:mm:ss"));
}

void SearchFile(Workspace &ws, const QString &folderPath, const QString &pattern, int side,
                const QString &otherFolderPath) {
    ResultGrid &g = ws.fgF;
    const ScanScope scope(ws);
    if (g.rows() < 2)
        g.setRows(2);
    side = side == 1 ? 1 : 0;
    const NameFilter filter(pattern);
    std::vector<RowKinds> kinds(size_t(g.rows()));
    bool anyListed = false;
    bool aborted = false;
    int listed = 0;

    // Counts a listed entry and polls the abort key; false means stop.
    auto tick = [&]() {
        if (++listed % ListYieldEvery == 0) {
            ws.reportProgress(listed);
            ws.processEvents();
            if (ws.bAbort) {
                aborted = true;
                return false;
            }
        }
        return true;
    };

    // An entry left out because it could not be read might have a partner on the other side:
    // then no entry is reported as one-sided and no pair is compared.
    bool incomplete = false;
    // Examines a listed name; false when it is not listed (filtered, vanished or unreadable).
    auto admit = [&](const QString &folder, const QString &name, Entry *e) {
        if (!filter.accepts(name))
            return false;
        const Examined examined = examine(folder, name, e);
        if (examined == Examined::Unreadable) {
            noteUnreadable(ws, folder, name);
            incomplete = true;
        }
        return examined == Examined::Listed;
    };
    auto listingFailed = [&](const QString &folder) {
        ws.runProblems.append(CannotList + folder);
        incomplete = true;
    };

    // The first folder, in the order the file system gives.
    const bool firstOpened = listFolder(folderPath, [&](const QString &name) {
        Entry e;
        if (!admit(folderPath, name, &e))
            return true;
        if (anyListed)
            g.appendRow();
        anyListed = true;
        const int r = g.rows() - 1;
        kinds.resize(size_t(g.rows()));
        g.setText(r, 9, QStringLiteral("0"));
        listEntry(g, r, side, e);
        kinds[size_t(r)].half[side] = e.kind;
        return tick();
    });
    if (!firstOpened)
        listingFailed(folderPath);
    if (!firstOpened || aborted || otherFolderPath.isEmpty())
        return;
    const int k = anyListed ? g.rows() - 1 : 0;

    // The first row of each name, separately for folders and files: a file and a folder of
    // the same name never pair, and the first match wins as in a search from the top.
    QHash<QString, int> folderRows;
    QHash<QString, int> fileRows;
    for (int r = 1; r <= k; ++r) {
        QHash<QString, int> &index =
            kinds[size_t(r)].half[0] == Kind::Folder ? folderRows : fileRows;
        const QString name = g.text(r, 0);
        if (!index.contains(name))
            index.insert(name, r);
    }

    std::vector<int> rightOnlyRows;
    const bool secondOpened = listFolder(otherFolderPath, [&](const QString &name) {
        Entry e;
        if (!admit(otherFolderPath, name, &e))
            return true;
        const QHash<QString, int> &index = e.kind == Kind::Folder ? folderRows : fileRows;
        int r = index.value(name, 0);
        if (r == 0) {
            if (anyListed)
                g.appendRow();
            anyListed = true;
            r = g.rows() - 1;
            kinds.resize(size_t(g.rows()));
            g.setText(r, 8, QStringLiteral("0"));
            rightOnlyRows.push_back(r);
        }
        listEntry(g, r, 1, e);
        kinds[size_t(r)].half[1] = e.kind;
        return tick();
    });
    if (!secondOpened)
        listingFailed(otherFolderPath);
    if (incomplete)
        return;
    // Only now is it known that both listings are whole: the second folder's own entries are
    // marked (also those listed before an abort).
    for (const int r : rightOnlyRows) {
        ++ws.RightOnlyCount;
        colourHalf(g, r, 0, ws.txtState[2]);
        colourHalf(g, r, 1, ws.txtState[1]);
    }
    if (aborted)
        return;

    ws.setStatus(ScanStatus);
    std::vector<bool> remove(size_t(g.rows()), false);
    bool anyRemoved = false;
    const int mode = ws.folderContentMode;
    // Reading one large file may take long: the abort key is heard inside it too.
    const std::function<bool()> stop = [&ws] {
        ws.processEvents();
        return ws.bAbort.load();
    };
    try {
        for (int r = 1; r <= k; ++r) {
            const RowKinds &kind = kinds[size_t(r)];
            if (kind.half[1] == Kind::None) {
                colourHalf(g, r, 0, ws.txtState[1]);
                colourHalf(g, r, 1, ws.txtState[2]);
                ++ws.LeftOnlyCount;
            } else {
                bool differs = false;
                auto check = [&](bool different, int c) {
                    if (!different)
                        return;
                    differs = true;
                    g.setBackColor(r, c, ws.txtState[0]);
                    g.setBackColor(r, c + 4, ws.txtState[0]);
                };
                const bool sizesDiffer = g.text(r, 8) != g.text(r, 9);
                // Contents only of regular files: a device or pipe may never end.
                if ((mode == 1 || mode == 2) && kind.half[0] == Kind::File &&
                    kind.half[1] == Kind::File) {
                    const QString left = fJoinPath(folderPath, g.text(r, 0));
                    const QString right = fJoinPath(otherFolderPath, g.text(r, 4));
                    if (mode == 1) {
                        // Digests of files of different lengths cannot agree: no need to read.
                        check(sizesDiffer || digestOf(left, stop) != digestOf(right, stop), 0);
                    } else {
                        check(textOfFile(left, stop) != textOfFile(right, stop), 0);
                    }
                }
                check(sizesDiffer, 1);
                check(g.text(r, 2) != g.text(r, 6), 2);
                check(g.text(r, 3) != g.text(r, 7), 3);
                if (differs) {
                    ++ws.DiffCount;
                } else if (ws.OnlyDF) {
                    remove[size_t(r)] = true;
                    anyRemoved = true;
                }
            }
            if (r % CompareYieldEvery == 0) {
                ws.reportProgress(r, k);
                ws.processEvents();
                if (ws.bAbort)
                    return;
            }
        }
    } catch (const ReadProblem &problem) {
        // The comparison stops here; the user is told which file stopped it.
        ws.runProblems.append(problem.message);
        return;
    } catch (const StoppedInFile &) {
        return; // as an abort between rows
    }
    if (anyRemoved)
        removeFolderRows(g, remove);
}
