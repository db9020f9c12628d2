// The three file formats of a workbook report.
#include "sheet/WorkbookReport.h"

#include "encoding/Charset.h"
#include "platform/XlsxSupport.h"

#include <xlsxwriter.h>

namespace {

const QString SheetTitle = QStringLiteral("シート");
const QString CellTitle = QStringLiteral("セル");
const QString StateTitle = QStringLiteral("差分結果");
const QString WriteFailed = QStringLiteral("ブックを書き出せません");
const QString LineEnd = QStringLiteral("\r\n");

QStringList headerFields(const WorkbookReport &report) {
    return {SheetTitle, CellTitle, StateTitle, report.paths[0], report.paths[1]};
}

QStringList fieldsOf(const WorkbookReportRow &row) {
    return {row.sheet, row.cell, reportStateWord(row.state), row.left, row.right};
}

// The legend index of each value cell: the side that holds the value is "追加", the side that
// lacks it "削除", as in the sheet comparison.
std::array<int, 2> legendIndexes(CellState state) {
    switch (state) {
    case CellState::Changed:
        return {0, 0};
    case CellState::LeftOnly:
        return {1, 2};
    case CellState::RightOnly:
        return {2, 1};
    }
    return {0, 0};
}

// Every field quoted, quotes inside doubled, as a spreadsheet reads them back.
void addCsvLine(QString &out, const QStringList &fields) {
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += u',';
        out += u'"';
        out += QString(fields[i]).replace(u'"', QStringLiteral("\"\""));
        out += u'"';
    }
    out += LineEnd;
}

WriteResult writeCsv(const WorkbookReport &report, const QString &path) {
    QString out;
    addCsvLine(out, headerFields(report));
    for (const WorkbookReportRow &row : report.rows)
        addCsvLine(out, fieldsOf(row));
    return SaveTextAs(QStringLiteral("UTF-8"), out, path);
}

QString htmlEscaped(const QString &text) {
    QString escaped = text.toHtmlEscaped();
    escaped.replace(u'\n', QStringLiteral("<br>"));
    return escaped;
}

QString htmlColour(Color color) {
    return QString::asprintf("#%02X%02X%02X", unsigned(color & 0xFF), unsigned((color >> 8) & 0xFF),
                             unsigned((color >> 16) & 0xFF));
}

WriteResult writeHtml(const WorkbookReport &report, const std::array<Color, 3> &legend,
                      const QString &path) {
    QString out = QStringLiteral(
        "<html>\r\n<head>\r\n"
        "<meta http-equiv=\"content-type\" content=\"text/html; charset=UTF-8\">\r\n"
        "<meta name=\"generator\" content=\"Corvane\">\r\n"
        "<style type=\"Text/css\">\r\n"
        "table { border:solid 1px #000000; border-collapse:collapse; border-spacing:0; }\r\n"
        "th {font-size:85%; border:solid 1px #000000; padding:3; background:#F0F0F0; }\r\n"
        "td {font-size:85%; border:solid 1px #000000; padding:3; white-space:pre-wrap; }\r\n"
        "</style>\r\n<title>比較結果</title>\r\n</head>\r\n<body>\r\n<table>\r\n<tr>");
    for (const QString &field : headerFields(report))
        out += QStringLiteral("<th>") + htmlEscaped(field) + QStringLiteral("</th>");
    out += QStringLiteral("</tr>\r\n");
    for (const WorkbookReportRow &row : report.rows) {
        const QStringList fields = fieldsOf(row);
        const std::array<int, 2> legendOf = legendIndexes(row.state);
        out += QStringLiteral("<tr>");
        for (qsizetype i = 0; i < fields.size(); ++i) {
            // Only the value cells carry colours; a sheet row has none.
            if (i >= 3 && !row.cell.isEmpty())
                out += QStringLiteral("<td bgcolor=") +
                       htmlColour(legend[size_t(legendOf[size_t(i - 3)])]) + u'>';
            else
                out += QStringLiteral("<td>");
            out += htmlEscaped(fields[i]) + QStringLiteral("</td>");
        }
        out += QStringLiteral("</tr>\r\n");
    }
    out += QStringLiteral("</table>\r\n</body>\r\n</html>\r\n");
    return SaveTextAs(QStringLiteral("UTF-8"), out, path);
}

bool fillXlsx(lxw_workbook *book, const WorkbookReport &report,
              const std::array<Color, 3> &legend) {
    lxw_worksheet *sheet = workbook_add_worksheet(book, nullptr);
    lxw_format *header = workbook_add_format(book);
    if (!sheet || !header)
        return false;
    format_set_bold(header);
    std::array<lxw_format *, 3> fills{};
    for (size_t k = 0; k < fills.size(); ++k) {
        const lxw_color_t fill = XlsxSupport::fillOf(legend[k]);
        if (fill == XlsxSupport::NoFill)
            continue;
        fills[k] = workbook_add_format(book);
        if (!fills[k])
            return false;
        format_set_pattern(fills[k], LXW_PATTERN_SOLID);
        format_set_bg_color(fills[k], fill);
    }
    const double widths[5] = {16, 10, 9, 30, 30};
    for (lxw_col_t c = 0; c < 5; ++c) {
        if (worksheet_set_column(sheet, c, c, widths[c], nullptr) != LXW_NO_ERROR)
            return false;
    }
    XlsxSupport::CellText text;
    const auto write = [&](lxw_row_t r, const QStringList &fields,
                           const std::array<lxw_format *, 5> &formats) {
        for (lxw_col_t c = 0; c < lxw_col_t(fields.size()); ++c) {
            const lxw_error result =
                fields[c].isEmpty()
                    ? (formats[c] ? worksheet_write_blank(sheet, r, c, formats[c]) : LXW_NO_ERROR)
                    : worksheet_write_string(sheet, r, c, text.utf8(fields[c]), formats[c]);
            if (result != LXW_NO_ERROR)
                return false;
        }
        return true;
    };
    if (!write(0, headerFields(report), {header, header, header, header, header}))
        return false;
    lxw_row_t r = 1;
    for (const WorkbookReportRow &row : report.rows) {
        if (r >= lxw_row_t(WorkbookLimits::MaxRows))
            return false; // more differences than a worksheet has rows
        const std::array<int, 2> legendOf = legendIndexes(row.state);
        const bool coloured = !row.cell.isEmpty();
        if (!write(r++, fieldsOf(row),
                   {nullptr, nullptr, nullptr, coloured ? fills[size_t(legendOf[0])] : nullptr,
                    coloured ? fills[size_t(legendOf[1])] : nullptr}))
            return false;
    }
    return true;
}

} // namespace

WriteResult writeWorkbookReport(const WorkbookReport &report, const std::array<Color, 3> &legend,
                                ReportFormat format, const QString &path) {
    switch (format) {
    case ReportFormat::Csv:
        return writeCsv(report, path);
    case ReportFormat::Html:
        return writeHtml(report, legend, path);
    case ReportFormat::Xlsx:
        break;
    }
    return XlsxSupport::writeWorkbook(
        path, [&](lxw_workbook *book) { return fillXlsx(book, report, legend); }, WriteFailed,
        false);
}
