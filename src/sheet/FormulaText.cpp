#include "sheet/FormulaText.h"

#include "sheet/Workbook.h"

namespace {

bool isNameChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_' || c == u'.' || c == u'$';
}

bool isUpperAscii(QChar c) {
    return c >= u'A' && c <= u'Z';
}

} // namespace

QString shiftFormula(const QString &formula, int rows, int cols) {
    QString out;
    out.reserve(formula.size() + 8);
    qsizetype i = 0;
    const qsizetype n = formula.size();
    while (i < n) {
        const QChar c = formula[i];
        if (c == u'"' || c == u'\'') {
            // A text or a quoted sheet name, with its doubled quotes, stays as it is.
            qsizetype end = i + 1;
            while (end < n) {
                if (formula[end] == c) {
                    if (end + 1 < n && formula[end + 1] == c) {
                        end += 2;
                        continue;
                    }
                    break;
                }
                ++end;
            }
            end = std::min(end + 1, n);
            out += QStringView(formula).sliced(i, end - i);
            i = end;
            continue;
        }
        if (i > 0 && isNameChar(formula[i - 1]) && formula[i - 1] != u'$') {
            out += c; // inside a name or a number
            ++i;
            continue;
        }
        // A reference: [$]letters[$]digits, not followed by a name character or "(".
        qsizetype p = i;
        const bool colFixed = p < n && formula[p] == u'$';
        if (colFixed)
            ++p;
        const qsizetype lettersAt = p;
        while (p < n && p - lettersAt < 3 && isUpperAscii(formula[p].toUpper()))
            ++p;
        const qsizetype letters = p - lettersAt;
        const bool rowFixed = p < n && formula[p] == u'$';
        if (rowFixed)
            ++p;
        const qsizetype digitsAt = p;
        while (p < n && p - digitsAt < 7 && formula[p].isDigit())
            ++p;
        const qsizetype digits = p - digitsAt;
        if (letters == 0 || digits == 0 ||
            (p < n && (isNameChar(formula[p]) || formula[p] == u'(')) ||
            (p < n && formula[p] == u'!')) {
            out += c;
            ++i;
            continue;
        }
        int col = 0;
        for (qsizetype k = lettersAt; k < lettersAt + letters; ++k)
            col = col * 26 + (formula[k].toUpper().unicode() - u'A' + 1);
        int row = QStringView(formula).sliced(digitsAt, digits).toInt();
        if (!colFixed)
            col += cols;
        if (!rowFixed)
            row += rows;
        if (col < 1 || col > WorkbookLimits::MaxCols || row < 1 || row > WorkbookLimits::MaxRows) {
            out += QStringLiteral("#REF!");
        } else {
            if (colFixed)
                out += u'$';
            out += ColumnLetters(col);
            if (rowFixed)
                out += u'$';
            out += QString::number(row);
        }
        i = p;
    }
    return out;
}
