#include "folder/SearchFolderTree.h"

#include "engine/Workspace.h"
#include "folder/FolderGridWriter.h"
#include "folder/FolderTexts.h"
#include "folder/SearchFileContent.h"
#include "folder/SearchFileListing.h"
#include "platform/NativePath.h"

#include <QHash>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

namespace {

const QString CannotList = QStringLiteral("読み取れません: ");
const QString ScanStatus = QStringLiteral("解析中です... (Escキー長押しで中断)");
const QString EntriesSuffix = QStringLiteral(" 項目");
const QString AllEntries = QStringLiteral("*");
constexpr int ListYieldEvery = 200;
constexpr int CompareYieldEvery = 100;
constexpr size_t MaxPreviewRows = 50000;

// What the comparison pass needs to know of a row beyond its cells.
struct TreeRow {
    int parent = 0; // the row of the folder pair it lies in; 0 at the top
    Kind kind[2] = {Kind::None, Kind::None};
    bool descended : 1 = false;   // a folder pair whose contents are the rows below it
    bool incomplete : 1 = false;  // a folder pair that could not be read whole
    bool kindsDiffer : 1 = false; // a pair of different kinds (see differInKind)
    int files = 1;                // what a one-sided entry adds to its counter
};
// A million rows are held until the comparison pass ends: the sizes are read from the grid.
static_assert(sizeof(TreeRow) <= 12);

// The files below a folder at every depth; links are counted, never followed. Folders that
// cannot be listed are added to `unreadable`.
int filesBelow(const QString &folder, const NameExclusions &exclude, const std::atomic<bool> &stop,
               QStringList *unreadable) {
    int files = 0;
    const bool listed = listFolder(folder, [&](const QString &name) {
        if (exclude.excludes(name))
            return !stop;
        const QString path = fJoinPath(folder, name);
        NativeStat st;
        if (nativeStat(path, &st, false) && st.isDir)
            files += filesBelow(path, exclude, stop, unreadable);
        else
            ++files;
        return !stop;
    });
    if (!listed && !stop)
        unreadable->append(folder);
    return files;
}

using Level = std::vector<std::pair<const Entry *, const Entry *>>;

class TreeScan {
public:
    TreeScan(Workspace &ws, const QString &left, const QString &right)
        : m_ws(ws), m_grid(ws.fgF), m_root{left, right}, m_writer(ws.fgF), m_rows(1),
          m_exclude(ws.excludeNames), m_alone(left.isEmpty()    ? 1
                                              : right.isEmpty() ? 0
                                                                : -1) {}

    void run() {
        scanPair(QString(), 0);
        m_grid.setRows(1 + std::max(1, last()));
        // A folder alone is listed, not compared: nothing is coloured or counted.
        if (m_alone >= 0)
            return;
        // Stopped while listing: a partner of any entry may not have been listed yet.
        if (m_aborted) {
            for (int r = 1; r <= last(); ++r)
                markNotCompared(m_ws, r);
            return;
        }
        compare();
    }

private:
    int last() const { return int(m_rows.size()) - 1; }

    void problem(const QString &text) {
        if (!m_ws.runProblems.contains(text))
            m_ws.runProblems.append(text);
    }

    // Lists one pair of folders (rel: their path below the roots) and, depth first, every
    // pair of folders in it.
    void scanPair(const QString &rel, int parentRow) {
        const QString folder[2] = {fJoinPath(m_root[0], rel), fJoinPath(m_root[1], rel)};
        FolderListing listing[2];
        if (m_alone >= 0) {
            listing[1 - m_alone].opened = true; // nothing on the missing side
            listBoth(folder[m_alone], QString(), AllEntries, m_ws.bAbort, {}, &listing[m_alone],
                     nullptr, m_exclude);
        } else {
            listBoth(folder[0], folder[1], AllEntries, m_ws.bAbort, {}, &listing[0], &listing[1],
                     m_exclude);
        }
        m_aborted = m_aborted || listing[0].stopped || listing[1].stopped;
        bool whole = true;
        for (int s = 0; s < 2; ++s) {
            if (!listing[s].opened) {
                problem(CannotList + folder[s]);
                whole = false;
            }
            for (const Entry &e : listing[s].entries) {
                if (e.examined != Examined::Unreadable)
                    continue;
                problem(CannotList + (e.error == EACCES
                                          ? folder[s]
                                          : fJoinPath(folder[s], e.name().toString())));
                whole = false;
            }
        }
        // An entry left out might have had a partner: nothing of this folder is compared.
        if (!whole) {
            m_rows[size_t(parentRow)].incomplete = true;
            if (parentRow == 0)
                m_topIncomplete = true;
            return;
        }

        // Pairs by name within each kind, the first of a name winning, as at the top.
        Level level;
        QHash<QStringView, size_t> folders;
        QHash<QStringView, size_t> files;
        for (const Entry &e : listing[0].entries) {
            if (e.examined != Examined::Listed)
                continue;
            auto &index = e.kind == Kind::Folder ? folders : files;
            if (!index.contains(e.name()))
                index.insert(e.name(), level.size());
            level.push_back({&e, nullptr});
        }
        for (const Entry &e : listing[1].entries) {
            if (e.examined != Examined::Listed)
                continue;
            const auto &index = e.kind == Kind::Folder ? folders : files;
            const auto found = index.constFind(e.name());
            if (found != index.constEnd() && level[found.value()].second == nullptr)
                level[found.value()].second = &e;
            else
                level.push_back({nullptr, &e});
        }

        // A top level this large is most of the work: the preview would only double it.
        if (parentRow == 0 && m_ws.folderPreviewHook && level.size() <= MaxPreviewRows)
            sendPreview(level);
        for (const auto &[left, right] : level) {
            // Read at every entry, not only at every 200th: one entry can be a whole
            // one-sided tree to count.
            if (m_aborted || m_ws.bAbort) {
                m_aborted = true;
                return;
            }
            const Entry *half[2] = {left, right};
            const Entry &any = left ? *left : *right;
            const QString ownName = any.name().toString();
            const QString name = rel.isEmpty() ? ownName : rel + QLatin1Char('/') + ownName;
            const int r = addRow(parentRow);
            TreeRow row = writePair(m_writer, r, half, name);
            row.parent = parentRow;
            // Links are never entered.
            const bool folderPair = m_alone >= 0 ? any.kind == Kind::Folder && !any.link
                                                 : left && right && any.kind == Kind::Folder &&
                                                       !left->link && !right->link;
            if (m_alone < 0 && !folderPair && any.kind == Kind::Folder && !(left && right) &&
                !any.link) {
                const int h = left ? 0 : 1;
                noteOneSidedFolder(r, h, fJoinPath(folder[h], ownName), &row);
            }
            if (m_alone < 0 && left && right)
                row.kindsDiffer = differInKind({left->kind, left->link}, {right->kind, right->link},
                                               folder[0], folder[1], ownName, true);
            row.descended = folderPair;
            m_rows[size_t(r)] = row;
            tick();
            if (folderPair)
                scanPair(name, r);
        }
    }

    // Writes the cells of a pair (either half may be missing) into row r of the writer's grid.
    TreeRow writePair(EntryWriter &writer, int r, const Entry *const half[2], QStringView name) {
        TreeRow row;
        for (int h = 0; h < 2; ++h) {
            if (!half[h]) {
                // As a one-level listing of a folder alone: the right size column
                // holds 0 under the left folder's entries, the left one stays empty.
                if (m_alone < 0 || h == 1)
                    writer.grid().setNumber(r, 8 + h, 0);
                continue;
            }
            writer.write(r, h, *half[h], name);
            row.kind[h] = half[h]->kind;
        }
        return row;
    }

    // The top level as soon as it is listed and paired, for the window to show while the
    // trees below are scanned: files with their states unless their contents are still to be
    // compared, folders with no state yet. Nothing is counted; with OnlyDF the files known
    // to be equal are left out.
    void sendPreview(const Level &level) {
        auto preview = std::make_shared<ResultGrid>(m_grid.cols(), m_grid.fixedRows());
        preview->copyLayoutFrom(m_grid);
        preview->setRedraw(true); // the run's own grid is not drawn while it is filled
        preview->setRows(1 + std::max(1, int(level.size())));
        for (int c = 0; c < m_grid.cols(); ++c)
            preview->setText(0, c, m_grid.text(0, c));
        EntryWriter writer(*preview);
        std::vector<bool> remove(size_t(preview->rows()), false);
        bool anyRemoved = false;
        int r = 0;
        for (const auto &[left, right] : level) {
            if (m_ws.bAbort)
                return;
            const Entry *half[2] = {left, right};
            const TreeRow row = writePair(writer, ++r, half, (left ? left : right)->name());
            if (m_alone >= 0 || row.kind[0] == Kind::Folder || row.kind[1] == Kind::Folder)
                continue;
            if (row.kind[0] == Kind::None || row.kind[1] == Kind::None) {
                colourOneSided(*preview, r, row);
                continue;
            }
            const bool sizesDiffer = left->size != right->size;
            std::optional<bool> content;
            if (needsContent(row)) {
                if (m_ws.folderContentMode != 1 || !sizesDiffer)
                    continue; // known when its contents are compared
                content = true;
            }
            if (!colourDifferingCells(*preview, r, sizesDiffer, content, m_ws.txtState[0]) &&
                m_ws.OnlyDF) {
                remove[size_t(r)] = true;
                anyRemoved = true;
            }
        }
        if (anyRemoved)
            removeFolderRows(*preview, remove);
        m_ws.folderPreviewHook(std::move(preview));
    }

    int addRow(int parent) {
        m_rows.push_back({});
        m_rows.back().parent = parent;
        const int r = last();
        // The grid's cells grow in place (see ReallocArray): small steps keep few unused
        // rows, each holding ten cells.
        if (r >= m_grid.rows())
            m_grid.setRows(std::max(r + 1, m_grid.rows() + m_grid.rows() / 8 + 4096));
        return r;
    }

    // A folder on one side: its size column names how many entries it holds, and it counts
    // as the files below it.
    // A folder that cannot be read is named in the problems, and its count shows as unknown.
    void noteOneSidedFolder(int r, int h, const QString &path, TreeRow *row) {
        int entries = 0;
        const bool listed = listFolder(path, [&](const QString &name) {
            if (!m_exclude.excludes(name))
                ++entries;
            return !m_ws.bAbort;
        });
        if (!listed && !m_ws.bAbort) {
            problem(CannotList + path);
            m_grid.setText(r, 4 * h + 1, FolderTexts::UnknownEntries);
            return;
        }
        m_grid.setText(r, 4 * h + 1, QString::number(entries) + EntriesSuffix);
        QStringList unreadable;
        row->files = std::max(1, filesBelow(path, m_exclude, m_ws.bAbort, &unreadable));
        for (const QString &folder : std::as_const(unreadable))
            problem(CannotList + folder);
    }

    void tick() {
        if (++m_listed % ListYieldEvery != 0)
            return;
        m_ws.reportProgress(m_listed);
        m_ws.processEvents();
        if (m_ws.bAbort)
            m_aborted = true;
    }

    bool needsContent(const TreeRow &row) const {
        const int mode = m_ws.folderContentMode;
        return (mode == 1 || mode == 2) && row.kind[0] == Kind::File && row.kind[1] == Kind::File;
    }

    void compare() {
        m_ws.setStatus(ScanStatus);
        const int n = last();
        const int mode = m_ws.folderContentMode;
        std::vector<ContentJob> jobs;
        for (int r = 1; r <= n; ++r) {
            const TreeRow &row = m_rows[size_t(r)];
            if (!needsContent(row))
                continue;
            const quint64 size[2] = {sizeOf(r, 0), sizeOf(r, 1)};
            if (mode == 2 || size[0] == size[1])
                jobs.push_back({m_grid.storedText(r, 0), size[0], size[1]});
        }
        ContentComparer contents(mode, m_root[0], m_root[1], std::move(jobs), m_ws.bAbort);
        size_t nextJob = 0;
        const std::function<bool()> stop = [this] {
            m_ws.processEvents();
            return m_ws.bAbort.load();
        };
        std::vector<bool> differs(size_t(n) + 1, false);
        // The rows from here on were not compared (the run stopped or a file could not be read).
        int uncompared = n + 1;
        try {
            for (int r = 1; r <= n; ++r) {
                // Read at every row: a hundred pairs of files to open can take long.
                if (m_ws.bAbort) {
                    uncompared = r;
                    break;
                }
                differs[size_t(r)] = compareRow(r, contents, nextJob, stop);
                if (r % CompareYieldEvery == 0) {
                    m_ws.reportProgress(r, n);
                    m_ws.processEvents();
                    if (m_ws.bAbort) {
                        uncompared = r + 1;
                        break;
                    }
                }
            }
        } catch (const ReadProblem &problem) {
            m_ws.runProblems.append(problem.message);
            uncompared = m_current;
        } catch (const StoppedInFile &) {
            uncompared = m_current;
        }
        // Children follow their folder: from the bottom up every difference reaches the top. A
        // folder with a row below it not compared is not compared either, unless something
        // below it is known to differ.
        std::vector<bool> unknown(size_t(n) + 1, false);
        for (int r = n; r >= 1; --r) {
            const TreeRow &row = m_rows[size_t(r)];
            if (row.incomplete)
                differs[size_t(r)] = true;
            if (r >= uncompared && !row.descended)
                unknown[size_t(r)] = true;
            if (differs[size_t(r)])
                unknown[size_t(r)] = false;
            if (row.parent != 0) {
                if (differs[size_t(r)])
                    differs[size_t(row.parent)] = true;
                if (unknown[size_t(r)])
                    unknown[size_t(row.parent)] = true;
            }
        }
        const bool stopped = uncompared <= n;
        std::vector<bool> remove(size_t(m_grid.rows()), false);
        bool anyRemoved = false;
        for (int r = 1; r <= n; ++r) {
            if (m_rows[size_t(r)].descended && differs[size_t(r)]) {
                m_grid.setBackColor(r, 0, m_ws.txtState[0]);
                m_grid.setBackColor(r, 4, m_ws.txtState[0]);
            } else if (unknown[size_t(r)]) {
                markNotCompared(m_ws, r);
            }
            if (!differs[size_t(r)] && m_ws.OnlyDF && !m_topIncomplete && !stopped) {
                remove[size_t(r)] = true;
                anyRemoved = true;
            }
        }
        if (anyRemoved)
            removeFolderRows(m_grid, remove);
    }

    // Colours row r and counts it; true when it differs.
    bool compareRow(int r, ContentComparer &contents, size_t &nextJob,
                    const std::function<bool()> &stop) {
        m_current = r;
        const TreeRow &row = m_rows[size_t(r)];
        if (row.descended)
            return false; // known once its contents are compared
        if (row.kind[0] == Kind::None || row.kind[1] == Kind::None) {
            colourOneSided(m_grid, r, row);
            (row.kind[0] == Kind::None ? m_ws.RightOnlyCount : m_ws.LeftOnlyCount) += row.files;
            return true;
        }
        const bool sizesDiffer = sizeOf(r, 0) != sizeOf(r, 1);
        std::optional<bool> contentDiffers;
        if (needsContent(row)) {
            const ContentCheck content = m_ws.folderContentMode == 1 && sizesDiffer
                                             ? ContentCheck{true, {}}
                                             : contents.result(nextJob++, stop);
            if (!content.note.isEmpty())
                m_ws.runNotes.append(content.note);
            contentDiffers = content.differs;
        }
        const bool differs = colourDifferingCells(m_grid, r, sizesDiffer, contentDiffers,
                                                  m_ws.txtState[0], row.kindsDiffer);
        if (differs)
            ++m_ws.DiffCount;
        return differs;
    }

    void colourOneSided(ResultGrid &g, int r, const TreeRow &row) const {
        const int h = row.kind[0] == Kind::None ? 1 : 0;
        colourHalf(g, r, h, m_ws.txtState[1]);
        colourHalf(g, r, 1 - h, m_ws.txtState[2]);
    }

    // The exact size of side h's entry in row r (0 when it has none).
    quint64 sizeOf(int r, int h) const { return storedSize(m_grid, r, 8 + h); }

    Workspace &m_ws;
    ResultGrid &m_grid;
    const QString m_root[2];
    EntryWriter m_writer;
    // By grid row; row 0 stands for the compared folders. A deque grows without a second copy.
    std::deque<TreeRow> m_rows;
    NameExclusions m_exclude; // names left out at every level
    int m_listed = 0;
    bool m_aborted = false;
    bool m_topIncomplete = false;
    int m_current = 0; // the row being compared
    const int m_alone; // the side of a folder listed alone; -1 when two are compared
};

} // namespace

void searchFolderTree(Workspace &ws, const QString &leftRoot, const QString &rightRoot) {
    const ScanScope scope(ws);
    if (ws.fgF.rows() < 2)
        ws.fgF.setRows(2);
    TreeScan(ws, leftRoot, rightRoot).run();
}
