#pragma once

#include "platform/AtomicFile.h"

#include <QByteArray>
#include <QString>
#include <QStringEncoder>

#include <xlsxwriter.h>

#include <functional>

// What every workbook we write with the workbook library shares.
namespace XlsxSupport {

// "No fill" for a cell (the library's own colours are 24-bit).
constexpr lxw_color_t NoFill = 0xFFFFFFFFu;

// Longest text a worksheet cell holds.
constexpr qsizetype MaxCellChars = 32767;

// A colour in 0x00BBGGRR order (red in the low byte, as the result grids keep it) as the
// library's 0xRRGGBB fill; NoFill for a value beyond 24 bits (the grids' default colour).
lxw_color_t fillOf(quint32 bgr);

// Turns cell texts into the NUL-terminated UTF-8 the library takes, cut to what a cell holds
// (never inside a surrogate pair), reusing one buffer.
class CellText {
public:
    const char *utf8(QStringView text);

private:
    QStringEncoder m_encoder{QStringEncoder::Utf8, QStringEncoder::Flag::Stateless};
    QByteArray m_buffer;
};

// Writes a workbook in constant-memory mode into a temporary file beside `path` and renames it
// over `path` (through a link, the file it points to is replaced and the link stays). `fill`
// writes the sheets and says whether it succeeded; `failed` is the cause given when it did not.
// With `scratchBeside`, the library's own scratch files go beside the target too. `finish`
// (may be empty) edits the closed workbook at the temporary path it is given before the rename;
// false from it fails the write as `fill` does.
WriteResult writeWorkbook(const QString &path, const std::function<bool(lxw_workbook *)> &fill,
                          const QString &failed, bool scratchBeside,
                          const std::function<bool(const QString &written)> &finish = {});

} // namespace XlsxSupport
