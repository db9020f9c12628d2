#include "export/CsvExport.h"

#include "encoding/Charset.h"
#include "export/ExportTexts.h"
#include "export/GridLayout.h"
#include "export/PiecesInOrder.h"
#include "export/StringEx.h"
#include "export/Utf8Sink.h"
#include "platform/NativePath.h"
#include "platform/SplitSizes.h"

#include <type_traits>

namespace {

// Collects the document as UTF-16 and encodes it in the ANSI code page when a piece is done.
class AnsiSink {
public:
    void add(QStringView s) { m_text.AddRear(s); }
    // Text never encodes to nothing: empty bytes for a non-empty piece mean the converter
    // failed.
    bool take(QByteArray &bytes) {
        const QString text = m_text.takeText();
        bytes = EncodeAnsi(text);
        return !bytes.isEmpty() || text.isEmpty();
    }

private:
    StringEx m_text;
};

const QString LineEnd = QStringLiteral("\r\n");
const QString Quote = QStringLiteral("\"");
const QString DoubledQuote = QStringLiteral("\"\"");

template <typename Sink> class CsvBuilder {
public:
    CsvBuilder(const Workspace &ws, const ResultGrid &grid, const QString &separator)
        : m_ws(ws), m_grid(grid), m_folder(GridLayout::isFolderGrid(ws, grid)),
          m_cols(GridLayout::exportedCols(ws, grid)), m_between(Quote + separator + Quote) {}

    Sink &out() { return m_out; }

    void header() {
        // A stopped run's result is incomplete: the report begins by saying so.
        if (m_ws.runAborted) {
            m_out.add(Quote);
            field(m_ws.runSummary);
            m_out.add(Quote);
            m_out.add(LineEnd);
        }
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
            case NotCompared:
                line(r, ExportTexts::StateNotCompared, ExportTexts::StateNotCompared);
                break;
            default:
                line(r, QString(), QString());
                break;
            }
        }
    }

private:
    static constexpr int NotCompared = 3;

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
        return m_cols > 0 && m_grid.backColor(r, 0) == Workspace::NotComparedColor ? NotCompared
                                                                                   : -1;
    }

    void line(int r, QStringView leftWord, QStringView rightWord) {
        const int half = m_cols / 2;
        m_out.add(Quote);
        field(leftWord);
        for (int c = 0; c < m_cols; ++c) {
            if (c == half) {
                m_out.add(m_between);
                field(rightWord);
            }
            m_out.add(m_between);
            cell(r, c);
        }
        m_out.add(Quote);
        m_out.add(LineEnd);
    }

    void cell(int r, int c) {
        if (r >= m_grid.rows())
            return;
        ResultGrid::TextBuffer digits;
        field(m_grid.textView(r, c, digits));
    }

    void field(QStringView text) {
        if constexpr (std::is_same_v<Sink, Utf8Sink>) {
            if (m_out.addAscii(text, true))
                return;
        }
        // The bytes of a name that is not UTF-8 cannot be encoded: they show as U+FFFD, as a
        // file manager shows them.
        if (hasForeignBytes(text))
            quoted(shownName(text));
        else
            quoted(text);
    }

    // A quote inside a field is doubled so that the field still ends where it should.
    void quoted(QStringView text) {
        qsizetype from = 0;
        for (qsizetype at = text.indexOf(u'"'); at >= 0; at = text.indexOf(u'"', from)) {
            m_out.add(text.mid(from, at - from));
            m_out.add(DoubledQuote);
            from = at + 1;
        }
        m_out.add(text.mid(from));
    }

    const Workspace &m_ws;
    const ResultGrid &m_grid;
    const bool m_folder;
    const int m_cols;
    const QString m_between;
    Sink m_out;
};

} // namespace

namespace {

// Builds the document piece by piece, encodes each piece and writes it, so that a large result
// never sits in memory whole. Two pieces are made at a time, on the two cores, and written in
// their order. The file appears under its name only when all of it was written.
template <typename Sink>
WriteResult writeCsv(const Workspace &ws, const ResultGrid &grid, const QString &path,
                     const QString &separator, const QByteArray &mark) {
    AtomicFile file(path);
    if (!file.open() || !file.write(mark))
        return file.result();
    struct Piece {
        QByteArray bytes;
        bool encoded = false;
    };
    // Piece k holds rows from 1 + k * rowsPerPiece on; the first also the header, and there is
    // a first piece even without rows.
    // The document is encoded and written piece by piece.
    const int rowsPerPiece = std::max(1, splitSizes().reportRowsPerPiece);
    const int count = std::max(1, (grid.rows() - 1 + rowsPerPiece - 1) / rowsPerPiece);
    const std::function<Piece(int)> make = [&](int k) {
        CsvBuilder<Sink> csv(ws, grid, separator);
        if (k == 0)
            csv.header();
        const int first = 1 + k * rowsPerPiece;
        csv.rows(first, std::min(grid.rows(), first + rowsPerPiece));
        Piece piece;
        piece.encoded = csv.out().take(piece.bytes);
        return piece;
    };
    bool encoded = true;
    const std::function<bool(Piece &)> write = [&](Piece &piece) {
        encoded = piece.encoded;
        return encoded && file.write(piece.bytes);
    };
    if (!usePiecesInOrder(count, make, write)) {
        if (encoded)
            return file.result();
        file.cancel();
        return WriteResult::failure(ExportTexts::NotEncodable);
    }
    file.commit();
    return file.result();
}

} // namespace

WriteResult ExportCsvAnsi(const Workspace &ws, const ResultGrid &grid, const QString &path) {
    return writeCsv<AnsiSink>(ws, grid, path, QStringLiteral(","), QByteArray());
}

WriteResult ExportCsvUtf8(const Workspace &ws, const ResultGrid &grid, const QString &path,
                          const QString &separator) {
    // The UTF-8 form starts with the byte-order mark, as every UTF-8 file we write does.
    return writeCsv<Utf8Sink>(ws, grid, path, separator, QByteArray("\xEF\xBB\xBF"));
}
