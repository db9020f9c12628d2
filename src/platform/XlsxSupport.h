#pragma once

#include "engine/ResultGrid.h"

#include <QByteArray>
#include <QString>
#include <QStringEncoder>

#include <xlsxwriter.h>

// What every workbook we write with the workbook library shares.
namespace XlsxSupport {

// "No fill" for a cell (the library's own colours are 24-bit).
constexpr lxw_color_t NoFill = 0xFFFFFFFFu;

// Longest text a worksheet cell holds.
constexpr qsizetype MaxCellChars = 32767;

// A grid colour (0x00BBGGRR) as the library's 0xRRGGBB fill; NoFill for a value beyond 24 bits
// (the grid's default colour).
lxw_color_t fillOf(Color color);

// The file that saving to `path` replaces (through a link, the file it points to) and an empty
// file of a fresh name beside it, so the workbook is written there and the library writes
// nowhere else; temp is empty when the folder takes no file.
struct Replacement {
    QString target;
    QString temp;
};
Replacement replacementFor(const QString &path);

// Turns cell texts into the NUL-terminated UTF-8 the library takes, cut to what a cell holds
// (never inside a surrogate pair), reusing one buffer.
class CellText {
public:
    const char *utf8(QStringView text);

private:
    QStringEncoder m_encoder{QStringEncoder::Utf8, QStringEncoder::Flag::Stateless};
    QByteArray m_buffer;
};

// Puts the finished file in place of the target in one step, keeping the target's
// permissions. False when it could not be moved.
bool moveIntoPlace(const QString &temp, const QString &path);

} // namespace XlsxSupport
