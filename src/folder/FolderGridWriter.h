#pragma once

#include "engine/ResultGrid.h"
#include "engine/Workspace.h"
#include "folder/FolderSort.h"
#include "folder/LocalTimeOffsets.h"
#include "folder/SearchFile.h"
#include "folder/SearchFileListing.h"
#include "platform/Paths.h"

#include <QDate>
#include <QHash>
#include <QLocale>

#include <limits>
#include <optional>
#include <vector>

// Writing the folder comparison's entries into its grid: the cell texts of an entry, the
// colours of a half, the removal of equal rows. Shared by the one-level and the tree scan.

// The size text with a locale whose group separator is on.
QString groupedSizeText(quint64 size, const QLocale &grouped);

// The date part of a date text: the locale's short date, "yyyy/MM/dd" under the C locale.
QString dayTextOf(QDate day, const QLocale &locale);

// The exact size an internal size column (8 or 9) holds, as EntryWriter::setSize wrote it;
// 0 for an empty cell.
quint64 storedSize(const ResultGrid &g, int r, int c);

// Writes entries into the grid. Entries of the same date or size share one string, and the
// locale is looked up once.
class EntryWriter {
public:
    explicit EntryWriter(ResultGrid &g) : m_grid(g) {
        m_grouped.setNumberOptions(m_grouped.numberOptions() & ~QLocale::OmitGroupSeparator);
    }

    ResultGrid &grid() { return m_grid; }

    // The name cell holds the entry's own name (the tree scan gives its relative path).
    void write(int r, int h, const Entry &e) { write(r, h, e, e.name()); }
    void write(int r, int h, const Entry &e, QStringView name) {
        // A pair's second name points at the first one's characters instead of a copy.
        const QStringView first = m_grid.storedText(r, 4 * (1 - h));
        if (!first.isEmpty() && first == name)
            m_grid.setSharedText(r, 4 * h, rawText(first));
        else
            m_grid.setText(r, 4 * h, name);
        if (e.kind == Kind::Folder) {
            m_grid.setText(r, 4 * h + 2, FolderTypeText);
            m_grid.setNumber(r, 8 + h, 0);
        } else {
            setSize(r, 8 + h, e.size);
            m_grid.setText(r, 4 * h + 1, sizeText(e.size));
            m_grid.setText(r, 4 * h + 2, extensionOf(e.name()));
        }
        const QString &date = dateText(e.modifiedMsecs);
        if (!m_dateStored.isEmpty() && date == m_dateStored) {
            m_grid.setSharedText(r, 4 * h + 3, rawText(m_dateStored));
        } else {
            m_grid.setText(r, 4 * h + 3, date);
            m_dateStored = m_grid.storedText(r, 4 * h + 3);
        }
    }

    void setSize(int r, int c, quint64 size) {
        if (size <= quint64(std::numeric_limits<int>::max()))
            m_grid.setNumber(r, c, int(size));
        else
            m_grid.setText(r, c, QString::number(size));
    }

private:
    QString sizeText(quint64 size) {
        // Most sizes are of a few thousand texts ("1.50 KB"): those seen are kept to share.
        constexpr qsizetype MaxKept = 1 << 16;
        const auto kept = m_sizeTexts.constFind(size);
        if (kept != m_sizeTexts.constEnd())
            return kept.value();
        const QString text = groupedSizeText(size, m_grouped);
        if (m_sizeTexts.size() < MaxKept) {
            const auto same = m_textOfText.constFind(text);
            if (same != m_textOfText.constEnd()) {
                m_sizeTexts.insert(size, same.value());
                return same.value();
            }
            m_textOfText.insert(text, text);
            m_sizeTexts.insert(size, text);
        }
        return text;
    }

    // A string over characters the grid keeps until it is cleared (its own arena).
    static QString rawText(QStringView stored) {
        return QString::fromRawData(reinterpret_cast<const QChar *>(stored.utf16()), stored.size());
    }

    // As fGetExtension, without a copy.
    static QStringView extensionOf(QStringView name) {
        const qsizetype dot = name.lastIndexOf(u'.');
        return dot < 0 ? QStringView() : name.mid(dot + 1);
    }

    QString dateText(qint64 msecs) {
        qint64 dayNumber = 0;
        int msecsOfDay = 0;
        if (msecs == Entry::NoTime || !m_offsets.localTime(msecs, &dayNumber, &msecsOfDay))
            return fFormatFileTime(QDateTime(), m_locale);
        const QDate day = QDate::fromJulianDay(dayNumber);
        const int second = msecsOfDay / 1000;
        if (day == m_day && second == m_second)
            return m_dateText;
        if (day != m_day) {
            m_day = day;
            m_dayText = dayTextOf(day, m_locale);
        }
        m_second = second;
        const int hh = second / 3600;
        const int mm = second / 60 % 60;
        const int ss = second % 60;
        const char16_t clock[] = {u' ', char16_t(u'0' + hh / 10), char16_t(u'0' + hh % 10),
                                  u':', char16_t(u'0' + mm / 10), char16_t(u'0' + mm % 10),
                                  u':', char16_t(u'0' + ss / 10), char16_t(u'0' + ss % 10)};
        m_dateText = m_dayText;
        m_dateText.append(QStringView(clock, 9));
        return m_dateText;
    }

    ResultGrid &m_grid;
    const QLocale m_locale;
    QLocale m_grouped;
    QHash<quint64, QString> m_sizeTexts;
    QHash<QString, QString> m_textOfText;
    LocalTimeOffsets m_offsets;
    QDate m_day;
    int m_second = -1;
    QString m_dayText;
    QString m_dateText;
    QStringView m_dateStored; // the last date text written, in the grid's arena
};

void colourHalf(ResultGrid &g, int r, int h, Color color);

// Row r, whose comparison did not finish before the run stopped, is shown as not compared:
// both halves in Workspace::NotComparedColor, counted in ws.NotComparedCount, neither equal
// nor different.
void markNotCompared(Workspace &ws, int r);

// Colours the cells in which the two files of row r differ, on both sides: the names by the
// outcome of a content check where one was made, then size, type (or kindsDiffer) and date.
// True when any does.
bool colourDifferingCells(ResultGrid &g, int r, bool sizesDiffer,
                          std::optional<bool> contentDiffers, Color changed,
                          bool kindsDiffer = false);

// What one side of a pair is, as the pairing left it: folders pair with folders, everything
// else with everything else.
struct EntryKind {
    Kind kind = Kind::None;
    bool link = false;
};

// True when the two entries of a pair (in folders a and b, of the same name) are not the same
// kind of thing, so that comparing their dates and sizes says nothing: a regular file against
// a device, pipe or socket; an entry whose insides are not compared because it is a link
// against one that is not (a link to a folder through every level, where folders are entered
// but links never are; a broken link); two such links with different targets, compared as
// texts. A link to a regular file is read through, and at one level no folder is entered, so
// a link to a folder is a folder there.
bool differInKind(EntryKind a, EntryKind b, const QString &folderA, const QString &folderB,
                  QStringView name, bool throughEveryLevel);

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

// Keeps the rows not marked, in order, in one pass. When no data row is left, one empty data
// row stays.
void removeFolderRows(ResultGrid &g, const std::vector<bool> &remove);
