#include "export/CsvExport.h"

#include "encoding/Charset.h"
#include "export/ExportTexts.h"
#include "export/GridLayout.h"
#include "export/StringEx.h"

#include <QSaveFile>

namespace {

const QString LineEnd = QStringLiteral("\r\n");
const QString Quote = QStringLiteral("\"");
const QString DoubledQuote = QStringLiteral("\"\"");

// Rows per piece: the document is encoded and written piece by piece.
constexpr int RowsPerPiece = 20000;

class CsvBuilder {
public:
    CsvBuilder(const Workspace &ws, const ResultGrid &grid, const QString &separator)
        : m_ws(ws), m_grid(grid), m_folder(GridLayout::isFolderGrid(ws, grid)),
          m_cols(GridLayout::exportedCols(ws, grid)), m_between(Quote + separator + Quote) {}

    StringEx &out() { return m_out; }

    void header() {
        const QString &title = ExportTexts::CsvStateTitle;
        line(0, title, title);
    }

    void rows(int first, int end) {
        for (int r = first; r < end; ++r) {
            // The binary grid's second header row is written as data without state words.
            if (r < m_grid.fixedRows()) {
                line(r, QString(), QString());
                continue;
            }
            switch (rowState(r)) {
            case 0:
                line(r, ExportTexts::StateChanged, ExportTexts::StateChanged);
                break;
            case 1:
                line(r, ExportTexts::StateAdded, ExportTexts::StateDeleted);
                break;
            case 2:
                line(r, ExportTexts::StateDeleted, ExportTexts::StateAdded);
                break;
            default:
                line(r, QString(), QString());
                break;
            }
        }
    }

private:
    // Text and binary grids: column 0 tells. Folder grid: the first of columns 0-3 that
    // carries a legend colour.
    int rowState(int r) const {
        if (!m_folder)
            return m_cols > 0 ? GridLayout::legendIndex(m_ws, m_grid.backColor(r, 0)) : -1;
        for (int c = 0; c < std::min(4, m_cols); ++c) {
            const int k = GridLayout::legendIndex(m_ws, m_grid.backColor(r, c));
            if (k >= 0)
                return k;
        }
        return -1;
    }

    void line(int r, QStringView leftWord, QStringView rightWord) {
        const int half = m_cols / 2;
        m_out.AddRear(Quote);
        field(leftWord);
        for (int c = 0; c < m_cols; ++c) {
            if (c == half) {
                m_out.AddRear(m_between);
                field(rightWord);
            }
            m_out.AddRear(m_between);
            cell(r, c);
        }
        m_out.AddRear(Quote);
        m_out.AddRear(LineEnd);
    }

    void cell(int r, int c) {
        if (r < m_grid.rows() && !m_grid.isEmpty(r, c))
            field(m_grid.text(r, c));
    }

    // A quote inside a field is doubled so that the field still ends where it should.
    void field(QStringView text) {
        qsizetype from = 0;
        for (qsizetype at = text.indexOf(u'"'); at >= 0; at = text.indexOf(u'"', from)) {
            m_out.AddRear(text.mid(from, at - from));
            m_out.AddRear(DoubledQuote);
            from = at + 1;
        }
        m_out.AddRear(text.mid(from));
    }

    const Workspace &m_ws;
    const ResultGrid &m_grid;
    const bool m_folder;
    const int m_cols;
    const QString m_between;
    StringEx m_out;
};

} // namespace

namespace {

// Builds the document piece by piece, encodes each piece and writes it, so that a large result
// never sits in memory whole. The file appears under its name only when all of it was written.
template <typename Encode>
bool writeCsv(const Workspace &ws, const ResultGrid &grid, const QString &path,
              const QString &separator, const QByteArray &mark, Encode encode) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(mark) != mark.size()) {
        file.cancelWriting();
        return false;
    }
    CsvBuilder csv(ws, grid, separator);
    csv.header();
    int r = 1;
    do {
        const int end = std::min(grid.rows(), r + RowsPerPiece);
        csv.rows(r, end);
        r = end;
        const QString text = csv.out().takeText();
        const QByteArray bytes = encode(text);
        // Text never encodes to nothing: empty bytes mean the converter failed.
        if ((bytes.isEmpty() && !text.isEmpty()) || file.write(bytes) != bytes.size()) {
            file.cancelWriting();
            return false;
        }
    } while (r < grid.rows());
    return file.commit();
}

} // namespace

bool ExportCsvAnsi(const Workspace &ws, const ResultGrid &grid, const QString &path) {
    return writeCsv(ws, grid, path, QStringLiteral(","), QByteArray(), EncodeAnsi);
}

bool ExportCsvUtf8(const Workspace &ws, const ResultGrid &grid, const QString &path,
                   const QString &separator) {
    // The UTF-8 form starts with the byte-order mark, as every UTF-8 file we write does.
    return writeCsv(ws, grid, path, separator, QByteArray("\xEF\xBB\xBF"),
                    [](const QString &text) { return text.toUtf8(); });
}
