#include "folder/SearchFile.h"

#include "engine/Workspace.h"
#include "folder/FolderGridWriter.h"
#include "folder/SearchFileContent.h"
#include "folder/SearchFileListing.h"
#include "platform/NativePath.h"
#include "platform/Paths.h"

#include <QHash>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <optional>

#include <vector>

namespace {

const QString CannotList = QStringLiteral("読み取れません: ");
const QString ScanStatus = QStringLiteral("解析中です... (Escキー長押しで中断)");
constexpr int ListYieldEvery = 200;
constexpr int CompareYieldEvery = 100;

// The kinds of a row's two entries. Their exact sizes are in the grid's size columns.
struct RowKinds {
    Kind half[2] = {Kind::None, Kind::None};
    bool link[2] = {false, false};
};

// The size listed for half h of row r: a number, or its decimal text beyond the int range.
quint64 listedSize(const ResultGrid &g, int r, int h) {
    const int number = g.numberAt(r, 8 + h);
    return number >= 0 ? quint64(number) : g.text(r, 8 + h).toULongLong();
}

// Notes a folder or entry the scan could not read, once: a folder without search permission
// fails every entry alike, so the folder is named instead of each of its entries.
void noteUnreadable(Workspace &ws, const QString &folder, const Entry &e) {
    const QString problem =
        CannotList + (e.error == EACCES ? folder : fJoinPath(folder, e.name().toString()));
    if (!ws.runProblems.contains(problem))
        ws.runProblems.append(problem);
}

} // namespace

void SearchFile(Workspace &ws, const QString &folderPath, const QString &pattern, int side,
                const QString &otherFolderPath) {
    ResultGrid &g = ws.fgF;
    const ScanScope scope(ws);
    if (g.rows() < 2)
        g.setRows(2);
    side = side == 1 ? 1 : 0;
    std::vector<RowKinds> kinds(size_t(g.rows()));
    bool aborted = false;
    int listed = 0;

    // Both folders are read at once; the grid is filled from what was read, in the same order.
    FolderListing first;
    FolderListing second;
    listBoth(
        folderPath, otherFolderPath, pattern, ws.bAbort,
        [&ws](int count) { ws.reportProgress(count); }, &first, &second,
        NameExclusions(ws.excludeNames));

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
    // False when the entry is not listed (vanished or unreadable).
    auto admit = [&](const QString &folder, const Entry &e) {
        if (e.examined == Examined::Unreadable) {
            noteUnreadable(ws, folder, e);
            incomplete = true;
        }
        return e.examined == Examined::Listed;
    };
    auto listingFailed = [&](const QString &folder) {
        ws.runProblems.append(CannotList + folder);
        incomplete = true;
    };
    EntryWriter writer(g);

    // The first row of each name, separately for folders and files: a file and a folder of
    // the same name never pair, and the first match wins as in a search from the top.
    // The keys point into the first listing's names, kept until the second is paired.
    QHash<QStringView, int> folderRows;
    QHash<QStringView, int> fileRows;
    auto indexOf = [&](Kind kind) -> QHash<QStringView, int> & {
        return kind == Kind::Folder ? folderRows : fileRows;
    };
    const bool pairing = !otherFolderPath.isEmpty();
    int k = 0;
    for (const Entry &e : first.entries) {
        if (e.examined != Examined::Listed)
            continue;
        ++k;
        if (pairing && !indexOf(e.kind).contains(e.name()))
            indexOf(e.kind).insert(e.name(), k);
    }
    int rightOnly = 0;
    for (const Entry &e : second.entries)
        rightOnly += e.examined == Examined::Listed && !indexOf(e.kind).contains(e.name()) ? 1 : 0;
    // All rows are made at once: a grid grown row by row holds up to twice the cells it needs.
    // Rows not reached (after an abort) are taken away again; one data row always stays.
    g.setRows(1 + std::max(1, k + rightOnly));
    kinds.resize(size_t(g.rows()));
    auto keepRows = [&](int last) { g.setRows(1 + std::max(1, last)); };

    // The first folder, in the order the file system gives.
    int r = 0;
    for (const Entry &e : first.entries) {
        if (!admit(folderPath, e))
            continue;
        ++r;
        g.setNumber(r, 9, 0);
        writer.write(r, side, e);
        kinds[size_t(r)].half[side] = e.kind;
        kinds[size_t(r)].link[side] = e.link;
        if (!tick())
            break;
    }
    aborted = aborted || first.stopped;
    if (!first.opened)
        listingFailed(folderPath);
    if (!first.opened || aborted || !pairing) {
        keepRows(r);
        // Stopped before the second folder was listed: no entry listed so far was compared.
        if (first.opened && aborted && pairing) {
            for (int row = 1; row <= r; ++row)
                markNotCompared(ws, row);
        }
        return;
    }
    first.entries = {};

    std::vector<int> rightOnlyRows;
    int last = k;
    for (const Entry &e : second.entries) {
        if (!admit(otherFolderPath, e))
            continue;
        int row = indexOf(e.kind).value(e.name(), 0);
        if (row == 0) {
            row = ++last;
            g.setNumber(row, 8, 0);
            rightOnlyRows.push_back(row);
        }
        writer.write(row, 1, e);
        kinds[size_t(row)].half[1] = e.kind;
        kinds[size_t(row)].link[1] = e.link;
        if (!tick())
            break;
    }
    keepRows(last);
    aborted = aborted || second.stopped;
    if (!second.opened)
        listingFailed(otherFolderPath);
    second = {};
    folderRows.clear();
    fileRows.clear();
    first = {};
    if (incomplete)
        return;
    // A listing cut short may have left out the partner of any entry: none is compared.
    if (aborted) {
        for (int row = 1; row <= last; ++row)
            markNotCompared(ws, row);
        return;
    }
    // Only now is it known that both listings are whole: the second folder's own entries are
    // marked.
    for (const int r : rightOnlyRows) {
        ++ws.RightOnlyCount;
        colourHalf(g, r, 0, ws.txtState[2]);
        colourHalf(g, r, 1, ws.txtState[1]);
    }

    ws.setStatus(ScanStatus);
    std::vector<bool> remove(size_t(g.rows()), false);
    bool anyRemoved = false;
    const int mode = ws.folderContentMode;
    // Reading one large file may take long: the abort key is heard inside it too.
    const std::function<bool()> stop = [&ws] {
        ws.processEvents();
        return ws.bAbort.load();
    };
    // Contents only of regular files: a device or pipe may never end.
    auto needsContent = [&](int r) {
        const RowKinds &kind = kinds[size_t(r)];
        return (mode == 1 || mode == 2) && kind.half[0] == Kind::File && kind.half[1] == Kind::File;
    };
    auto hasJob = [&](int r) {
        return needsContent(r) && (mode == 2 || listedSize(g, r, 0) == listedSize(g, r, 1));
    };
    size_t jobCount = 0;
    for (int r = 1; r <= k; ++r)
        jobCount += hasJob(r) ? 1 : 0;
    std::vector<ContentJob> jobs;
    jobs.reserve(jobCount);
    for (int r = 1; r <= k; ++r) {
        if (hasJob(r))
            jobs.push_back({g.storedText(r, 0), listedSize(g, r, 0), listedSize(g, r, 1)});
    }
    ContentComparer contents(mode, folderPath, otherFolderPath, std::move(jobs), ws.bAbort);
    size_t nextJob = 0;
    // The rows from r to k are left uncompared when the pass stops early.
    r = 1;
    auto leaveUncompared = [&] {
        for (; r <= k; ++r)
            markNotCompared(ws, r);
    };
    try {
        for (; r <= k; ++r) {
            const RowKinds &kind = kinds[size_t(r)];
            if (kind.half[1] == Kind::None) {
                colourHalf(g, r, 0, ws.txtState[1]);
                colourHalf(g, r, 1, ws.txtState[2]);
                ++ws.LeftOnlyCount;
            } else {
                const bool sizesDiffer = listedSize(g, r, 0) != listedSize(g, r, 1);
                std::optional<bool> contentDiffers;
                if (needsContent(r)) {
                    // Files of different lengths cannot have the same bytes: no need to read.
                    const ContentCheck content = mode == 1 && sizesDiffer
                                                     ? ContentCheck{true, {}}
                                                     : contents.result(nextJob++, stop);
                    // A pair left uncompared is different, and the status says why.
                    if (!content.note.isEmpty())
                        ws.runNotes.append(content.note);
                    contentDiffers = content.differs;
                }
                const bool kindsDiffer =
                    differInKind({kind.half[0], kind.link[0]}, {kind.half[1], kind.link[1]},
                                 folderPath, otherFolderPath, g.storedText(r, 0), false);
                if (colourDifferingCells(g, r, sizesDiffer, contentDiffers, ws.txtState[0],
                                         kindsDiffer)) {
                    ++ws.DiffCount;
                } else if (ws.OnlyDF) {
                    remove[size_t(r)] = true;
                    anyRemoved = true;
                }
            }
            if (r % CompareYieldEvery == 0) {
                ws.reportProgress(r, k);
                ws.processEvents();
                if (ws.bAbort) {
                    ++r;
                    leaveUncompared();
                    return;
                }
            }
        }
    } catch (const ReadProblem &problem) {
        // The comparison stops here; the user is told which file stopped it.
        ws.runProblems.append(problem.message);
        leaveUncompared();
        return;
    } catch (const StoppedInFile &) {
        leaveUncompared(); // as an abort between rows
        return;
    }
    if (anyRemoved)
        removeFolderRows(g, remove);
}
