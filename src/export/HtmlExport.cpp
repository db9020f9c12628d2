#include "export/HtmlExport.h"

#include "engine/InlineMarks.h"
#include "export/GridLayout.h"
#include "export/PiecesInOrder.h"
#include "export/Utf8Sink.h"
#include "platform/AtomicFile.h"
#include "platform/SplitSizes.h"

#include <array>
#include <bit>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

const QString LineEnd = QStringLiteral("\r\n");

const QString Head = QStringLiteral(
    "<html>\r\n"
    "<head>\r\n"
    "<meta http-equiv=\"content-type\" content=\"text/html; charset=UTF-8\">\r\n"
    "<meta name=\"description\" content=\"Corvaneによる比較結果\">\r\n"
    "<meta name=\"generator\" content=\"Corvane\">\r\n"
    "<style type=\"Text/css\">\r\n"
    "table { border:solid 1px #000000; border-collapse:collapse; border-spacing:0; }\r\n"
    "th {font-size:85%; border:solid 1px #000000; padding:3; background:#F0F0F0; }\r\n"
    "td {font-size:85%; border:solid 1px #000000; padding:3; white-space:pre-wrap; }\r\n");
const QString HeadEnd = QStringLiteral("</style>\r\n"
                                       "<title>比較結果</title>\r\n"
                                       "</head>\r\n"
                                       "<body>\r\n"
                                       "<center>\r\n"
                                       "<table>\r\n");

// The changed characters of a changed pair (setting InlineDiff), in a class of the page's style.
const QString MarkOpen = QStringLiteral("<span class=\"chg\">");
const QString MarkClose = QStringLiteral("</span>");

const QString Tail = QStringLiteral("</table>\r\n</center>\r\n</body>\r\n</html>");

// A character that cannot go into the page as it is: markup, or half of a surrogate pair.
bool needsCare(char16_t c) {
    return c == u'&' || c == u'<' || c == u'>' || (c & 0xF800) == 0xD800;
}

// Where the next character that needs care is, from `from` on (the text's size when none):
// eight characters at a step where the processor has SSE2, as most of a page is plain text.
qsizetype nextNeedingCare(QStringView text, qsizetype from) {
    const char16_t *p = text.utf16();
    const qsizetype n = text.size();
    qsizetype k = from;
#if defined(__SSE2__)
    const __m128i amp = _mm_set1_epi16(short(u'&')), lt = _mm_set1_epi16(short(u'<')),
                  gt = _mm_set1_epi16(short(u'>'));
    const __m128i surrogateMask = _mm_set1_epi16(short(0xF800)),
                  surrogate = _mm_set1_epi16(short(0xD800));
    for (; k + 8 <= n; k += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + k));
        const __m128i hits =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(v, amp), _mm_cmpeq_epi16(v, lt)),
                         _mm_or_si128(_mm_cmpeq_epi16(v, gt),
                                      _mm_cmpeq_epi16(_mm_and_si128(v, surrogateMask), surrogate)));
        const int mask = _mm_movemask_epi8(hits);
        if (mask != 0)
            return k + std::countr_zero(unsigned(mask)) / 2;
    }
#endif
    for (; k < n; ++k) {
        if (needsCare(p[k]))
            return k;
    }
    return n;
}

// Appends text with the characters that HTML would read as markup replaced.
void addEscaped(Utf8Sink &out, QStringView text) {
    qsizetype from = 0;
    for (qsizetype i = nextNeedingCare(text, 0); i < text.size();
         i = nextNeedingCare(text, i + 1)) {
        QStringView ref;
        switch (text[i].unicode()) {
        case u'&':
            ref = u"&amp;";
            break;
        case u'<':
            ref = u"&lt;";
            break;
        case u'>':
            ref = u"&gt;";
            break;
        default:
            // A byte of a name that is not UTF-8 (a lone surrogate) shows as U+FFFD, as a file
            // manager shows it; a pair of surrogates is one character and stays.
            if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
                ++i;
                continue;
            }
            ref = u"\uFFFD";
            break;
        }
        out.add(text.mid(from, i - from));
        out.add(ref);
        from = i + 1;
    }
    out.add(text.mid(from));
}

void addCell(Utf8Sink &out, QStringView open, QStringView close, const ResultGrid &grid, int r,
             int c, const QList<CharSpan> *marks = nullptr) {
    out.add(open);
    ResultGrid::TextBuffer digits;
    if (!grid.isEmpty(r, c)) {
        const QStringView text = grid.textView(r, c, digits);
        qsizetype from = 0;
        if (marks) {
            for (const CharSpan &span : *marks) {
                addEscaped(out, text.mid(from, span.start - from));
                out.add(MarkOpen);
                addEscaped(out, text.mid(span.start, span.length));
                out.add(MarkClose);
                from = span.start + span.length;
            }
        }
        addEscaped(out, text.mid(from));
    }
    out.add(close);
    out.add(LineEnd);
}

} // namespace

QString ColorToHtml(Color color) {
    const unsigned red = color & 0xFF;
    const unsigned green = (color >> 8) & 0xFF;
    const unsigned blue = (color >> 16) & 0xFF;
    return QString::asprintf("#%02X%02X%02X", red, green, blue);
}

namespace {

const QString Tr = QStringLiteral("<tr>\r\n");
const QString TrEnd = QStringLiteral("</tr>\r\n");

// The page up to its data rows: style, title row with the two paths, header rows.
void addPageHead(Utf8Sink &out, const Workspace &ws, const ResultGrid &grid, int cols,
                 bool inlineMarks) {
    out.add(Head);
    if (inlineMarks)
        out.add(QStringLiteral("span.chg { background:") +
                ColorToHtml(strongerShade(ws.txtState[0])) + QStringLiteral("; }\r\n"));
    out.add(HeadEnd);

    // Title row: each path spans its side's half of the columns.
    const QString colspanOpen =
        QStringLiteral("<th  colspan=") + QString::number(cols / 2) + QStringLiteral(">");
    out.add(Tr);
    for (const QString &side : ws.cb) {
        out.add(colspanOpen);
        addEscaped(out, side);
        out.add(QStringLiteral("</th>"));
        out.add(LineEnd);
    }
    out.add(TrEnd);
    // A stopped run's result is incomplete: the page says so above it.
    if (ws.runAborted) {
        out.add(Tr);
        out.add(QStringLiteral("<th  colspan=") + QString::number(cols) + QStringLiteral(">"));
        addEscaped(out, ws.runSummary);
        out.add(QStringLiteral("</th>"));
        out.add(LineEnd);
        out.add(TrEnd);
    }

    const QString th = QStringLiteral("<th>");
    const QString thEnd = QStringLiteral("</th>");
    for (int r = 0; r < std::min(grid.fixedRows(), grid.rows()); ++r) {
        out.add(Tr);
        for (int c = 0; c < cols; ++c)
            addCell(out, th, thEnd, grid, r, c);
        out.add(TrEnd);
    }
}

// The data rows from `first` to before `end`, each cell in its legend colour.
void addDataRows(Utf8Sink &out, const Workspace &ws, const ResultGrid &grid, int cols,
                 bool inlineMarks, int first, int end) {
    const QString td = QStringLiteral("<td>");
    const QString tdEnd = QStringLiteral("</td>");
    std::array<QString, 3> legendOpen;
    for (size_t k = 0; k < legendOpen.size(); ++k)
        legendOpen[k] = QStringLiteral("<td bgcolor=") + ColorToHtml(ws.txtState[k]) + u'>';
    const QString notComparedOpen =
        QStringLiteral("<td bgcolor=") + ColorToHtml(Workspace::NotComparedColor) + u'>';

    const LineFolding folding = ws.textFolding();
    for (int r = first; r < end; ++r) {
        out.add(Tr);
        LineMarks marks;
        const bool marked = inlineMarks && isChangedPair(grid, r, ws.txtState[0]);
        if (marked) {
            ResultGrid::TextBuffer left, right;
            marks = diffCharacters(grid.textView(r, 1, left), grid.textView(r, 3, right), folding);
        }
        for (int c = 0; c < cols; ++c) {
            const int k = GridLayout::legendIndex(ws, grid.backColor(r, c));
            const QList<CharSpan> *spans = !marked  ? nullptr
                                           : c == 1 ? &marks.left
                                           : c == 3 ? &marks.right
                                                    : nullptr;
            const QStringView open = k >= 0 ? QStringView(legendOpen[size_t(k)])
                                     : grid.backColor(r, c) == Workspace::NotComparedColor
                                         ? QStringView(notComparedOpen)
                                         : QStringView(td);
            addCell(out, open, tdEnd, grid, r, c, spans);
        }
        out.add(TrEnd);
    }
}

} // namespace

namespace {

// About how many bytes the rows from `first` to before `end` take on the page: their texts
// (one byte a character, as nearly all are ASCII) and the markup around each cell. Room for it is
// kept at once, as a piece that grows step by step is copied over and over.
qsizetype pieceSize(const ResultGrid &grid, int cols, int first, int end) {
    constexpr qsizetype MarkupPerCell = 32, MarkupPerRow = 16;
    qsizetype size = qsizetype(end - first) * (cols * MarkupPerCell + MarkupPerRow);
    if (grid.hasByteRows()) // addresses and hex bytes, made as they are read
        return size + qsizetype(end - first) * cols * 32;
    for (int r = first; r < end; ++r) {
        for (int c = 0; c < cols; ++c)
            size += grid.storedText(r, c).size();
    }
    return size + size / 16; // escapes and marks
}

} // namespace

WriteResult ExportHtml(const Workspace &ws, const ResultGrid &grid, const QString &path) {
    const int cols = GridLayout::exportedCols(ws, grid);
    const int fixedRows = std::min(grid.fixedRows(), grid.rows());
    // Only the text grid has changed pairs of lines.
    const bool inlineMarks = ws.inlineDiff && &grid == &ws.fg && cols >= 4;

    // Piece k holds data rows from fixedRows + k * rowsPerPiece on; the first also the head of
    // the page, the last its tail. Each piece ends after a row, so the pieces encode to UTF-8
    // apart exactly as the whole page would.
    const int dataRows = grid.rows() - fixedRows;
    // The page is made and written piece by piece (see usePiecesInOrder).
    const int rowsPerPiece = std::max(1, splitSizes().reportRowsPerPiece);
    const int count = std::max(1, (dataRows + rowsPerPiece - 1) / rowsPerPiece);
    const std::function<QByteArray(int)> make = [&](int k) {
        Utf8Sink out;
        const int first = fixedRows + k * rowsPerPiece;
        const int end = std::min(grid.rows(), first + rowsPerPiece);
        out.reserve(pieceSize(grid, cols, first, end) + (k == 0 ? Head.size() : 0));
        if (k == 0)
            addPageHead(out, ws, grid, cols, inlineMarks);
        addDataRows(out, ws, grid, cols, inlineMarks, first, end);
        if (k == count - 1)
            out.add(Tail);
        QByteArray bytes;
        out.take(bytes); // lone surrogates were replaced as the cells were escaped
        return bytes;
    };
    // UTF-8 with its byte-order mark, as every UTF-8 file we write.
    AtomicFile file(path);
    if (!file.open() || !file.write(QByteArrayLiteral("\xEF\xBB\xBF")))
        return file.result();
    const std::function<bool(QByteArray &)> write = [&](QByteArray &bytes) {
        return file.write(bytes);
    };
    if (usePiecesInOrder(count, make, write))
        file.commit();
    return file.result();
}
