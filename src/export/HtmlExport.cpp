#include "export/HtmlExport.h"

#include "encoding/Charset.h"
#include "export/GridLayout.h"
#include "export/StringEx.h"

#include <array>

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
    "td {font-size:85%; border:solid 1px #000000; padding:3; }\r\n"
    "</style>\r\n"
    "<title>比較結果</title>\r\n"
    "</head>\r\n"
    "<body>\r\n"
    "<center>\r\n"
    "<table>\r\n");

const QString Tail = QStringLiteral("</table>\r\n</center>\r\n</body>\r\n</html>");

// Appends text with the characters that HTML would read as markup replaced.
void addEscaped(StringEx &out, QStringView text) {
    qsizetype from = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
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
            if (!text[i].isSurrogate())
                continue;
            if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
                ++i;
                continue;
            }
            ref = u"\uFFFD";
            break;
        }
        out.AddRear(text.mid(from, i - from));
        out.AddRear(ref);
        from = i + 1;
    }
    out.AddRear(text.mid(from));
}

void addCell(StringEx &out, QStringView open, QStringView close, const ResultGrid &grid, int r,
             int c) {
    out.AddRear(open);
    ResultGrid::TextBuffer digits;
    if (!grid.isEmpty(r, c))
        addEscaped(out, grid.textView(r, c, digits));
    out.AddRear(close);
    out.AddRear(LineEnd);
}

} // namespace

QString ColorToHtml(Color color) {
    const unsigned red = color & 0xFF;
    const unsigned green = (color >> 8) & 0xFF;
    const unsigned blue = (color >> 16) & 0xFF;
    return QString::asprintf("#%02X%02X%02X", red, green, blue);
}

WriteResult ExportHtml(const Workspace &ws, const ResultGrid &grid, const QString &path) {
    const int cols = GridLayout::exportedCols(ws, grid);
    const int fixedRows = std::min(grid.fixedRows(), grid.rows());
    const QString tr = QStringLiteral("<tr>\r\n");
    const QString trEnd = QStringLiteral("</tr>\r\n");
    const QString th = QStringLiteral("<th>");
    const QString thEnd = QStringLiteral("</th>");
    const QString td = QStringLiteral("<td>");
    const QString tdEnd = QStringLiteral("</td>");

    StringEx out;
    out.reserve(Head.size() + qsizetype(grid.rows()) * cols * 40);
    out.AddRear(Head);

    // Title row: each path spans its side's half of the columns.
    const QString colspanOpen =
        QStringLiteral("<th  colspan=") + QString::number(cols / 2) + QStringLiteral(">");
    out.AddRear(tr);
    for (const QString &side : ws.cb) {
        out.AddRear(colspanOpen);
        addEscaped(out, side);
        out.AddRear(thEnd);
        out.AddRear(LineEnd);
    }
    out.AddRear(trEnd);

    for (int r = 0; r < fixedRows; ++r) {
        out.AddRear(tr);
        for (int c = 0; c < cols; ++c)
            addCell(out, th, thEnd, grid, r, c);
        out.AddRear(trEnd);
    }

    std::array<QString, 3> legendOpen;
    for (size_t k = 0; k < legendOpen.size(); ++k)
        legendOpen[k] = QStringLiteral("<td bgcolor=") + ColorToHtml(ws.txtState[k]) + u'>';

    for (int r = fixedRows; r < grid.rows(); ++r) {
        out.AddRear(tr);
        for (int c = 0; c < cols; ++c) {
            const int k = GridLayout::legendIndex(ws, grid.backColor(r, c));
            addCell(out, k >= 0 ? QStringView(legendOpen[size_t(k)]) : QStringView(td), tdEnd, grid,
                    r, c);
        }
        out.AddRear(trEnd);
    }

    out.AddRear(Tail);
    return SaveTextAs(QStringLiteral("UTF-8"), out.takeText(), path);
}
