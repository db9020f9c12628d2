#pragma once

// The text of a formula as a legacy .xls workbook stores it: parsed tokens in reverse Polish
// order, turned back into the text the spreadsheet shows ("SUM(A1:$B$3)*2", without "=").

#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

struct XlsFormulaPlace {
    int row = 0, col = 0; // 0-based: the cell that relative tokens of a shared formula count from
    bool shared = false;  // the tokens of a shared formula, whose references are offsets
    // The sheet-name prefix of each EXTERNSHEET entry ("Sheet2", "'My sheet'", "A:C"); an
    // empty text for one that points into another workbook.
    const QStringList *externSheets = nullptr;
};

// Empty when a token is one this decoder does not know, or the bytes end too early or
// leave the expression unbalanced: an unknown formula gets no text rather than a wrong one.
QString xlsFormulaText(QByteArrayView tokens, const XlsFormulaPlace &place);

// A sheet name as a reference prefix: quoted, with its quotes doubled, unless it is a plain
// name of letters, digits and underscores that does not start with a digit.
QString xlsSheetPrefix(const QString &name);

class XlsCursor;
struct Sheet;

// Collects the formula texts of one sheet into its formulas. A cell of a shared formula holds
// only the place of its range's first cell; the shared tokens come in a record after that
// cell's own, so those cells get their texts when the sheet ends.
class XlsSheetFormulas {
public:
    explicit XlsSheetFormulas(const QStringList &externSheets) : m_externSheets(externSheets) {}

    // The tokens of a FORMULA record of the cell at row, col (0-based), read after its result.
    void read(XlsCursor &c, int row, int col, Sheet &sheet);
    // A SHRFMLA record.
    void readShared(XlsCursor &c);
    void resolve(Sheet &sheet);

private:
    struct SharedUse {
        int row, col;
        quint64 first;
    };
    const QStringList &m_externSheets;
    QHash<quint64, QByteArray> m_shared; // tokens by the first cell of their range
    QList<SharedUse> m_uses;
};
