#include "folder/FolderGridWriter.h"

#include "folder/SearchFile.h"
#include "platform/NativePath.h"

#include <unistd.h>

// The size text with a locale whose group separator is on.
QString groupedSizeText(quint64 size, const QLocale &grouped) {
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
    const quint64 cents = hundredths % 100;
    return grouped.toString(qulonglong(hundredths / 100)) + grouped.decimalPoint() +
           QString::number(cents / 10) + QString::number(cents % 10) + suffix;
}

// The date part of a date text: the locale's short date, "yyyy/MM/dd" under the C locale.
QString dayTextOf(QDate day, const QLocale &locale) {
    return locale.language() == QLocale::C ? day.toString(QStringLiteral("yyyy/MM/dd"))
                                           : locale.toString(day, QLocale::ShortFormat);
}

bool colourDifferingCells(ResultGrid &g, int r, bool sizesDiffer,
                          std::optional<bool> contentDiffers, Color changed, bool kindsDiffer) {
    bool differs = false;
    auto check = [&](bool different, int c) {
        if (!different)
            return;
        differs = true;
        g.setBackColor(r, c, changed);
        g.setBackColor(r, c + 4, changed);
    };
    if (contentDiffers)
        check(*contentDiffers, 0);
    check(sizesDiffer, 1);
    check(kindsDiffer || g.text(r, 2) != g.text(r, 6), 2);
    check(g.text(r, 3) != g.text(r, 7), 3);
    return differs;
}

void colourHalf(ResultGrid &g, int r, int h, Color color) {
    for (int c = 4 * h; c < 4 * h + 4; ++c)
        g.setBackColor(r, c, color);
}

void markNotCompared(Workspace &ws, int r) {
    colourHalf(ws.fgF, r, 0, Workspace::NotComparedColor);
    colourHalf(ws.fgF, r, 1, Workspace::NotComparedColor);
    ++ws.NotComparedCount;
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

QString sizeTextOf(quint64 size, const QLocale &locale) {
    QLocale grouped(locale);
    grouped.setNumberOptions(grouped.numberOptions() & ~QLocale::OmitGroupSeparator);
    return groupedSizeText(size, grouped);
}

QString fFormatFileTime(const QDateTime &time, const QLocale &locale) {
    const QDateTime local = time.toLocalTime();
    return dayTextOf(local.date(), locale) + QLatin1Char(' ') +
           local.time().toString(QStringLiteral("HH:mm:ss"));
}

quint64 storedSize(const ResultGrid &g, int r, int c) {
    if (const int number = g.numberAt(r, c); number >= 0)
        return quint64(number);
    bool ok = false;
    const quint64 value = g.text(r, c).toULongLong(&ok);
    return ok ? value : 0;
}

namespace {

// The text a symbolic link holds; empty when it cannot be read.
QByteArray linkTarget(const QString &path) {
    QByteArray target(4096, '\0');
    const ssize_t n =
        ::readlink(encodeNativeName(path).constData(), target.data(), size_t(target.size()));
    return n < 0 ? QByteArray() : target.left(n);
}

} // namespace

bool differInKind(EntryKind a, EntryKind b, const QString &folderA, const QString &folderB,
                  QStringView name, bool throughEveryLevel) {
    if (a.kind != b.kind)
        return true;
    // Regular files are read through their links; folders at one level are never entered.
    const bool notEntered =
        a.kind == Kind::Special || (a.kind == Kind::Folder && throughEveryLevel);
    if (!notEntered)
        return false;
    if (a.link != b.link)
        return true;
    if (!a.link)
        return false;
    const QString own = name.toString();
    return linkTarget(fJoinPath(folderA, own)) != linkTarget(fJoinPath(folderB, own));
}
