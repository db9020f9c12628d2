#include "sheet/Workbook.h"

#include "platform/FileReader.h"
#include "platform/NativePath.h"
#include "platform/Paths.h"
#include "sheet/WorkbookReaders.h"

#include <QDate>
#include <QLocale>

#include <cmath>
#include <exception>

QString CellValue::displayText() const {
    switch (kind) {
    case Kind::Empty:
        return QString();
    case Kind::Number:
        if (number == 0)
            return QStringLiteral("0"); // not "-0"
        return QString::number(number, 'g', QLocale::FloatingPointShortest);
    case Kind::Boolean:
        return number != 0 ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    case Kind::Text:
    case Kind::Error:
        return text;
    }
    return QString();
}

QString Sheet::usedRangeAddress() const {
    if (lastRow == 0 || lastCol == 0)
        return QStringLiteral("A1");
    const QString first = ColumnLetters(firstCol) + QString::number(firstRow);
    if (firstRow == lastRow && firstCol == lastCol)
        return first;
    return first + u':' + ColumnLetters(lastCol) + QString::number(lastRow);
}

QString ColumnLetters(int column) {
    QString letters;
    // Bijective base 26: there is no zero digit, Z is followed by AA.
    while (column > 0) {
        const int digit = (column - 1) % 26;
        letters.prepend(QChar(u'A' + digit));
        column = (column - 1) / 26;
    }
    return letters;
}

double dateSerial(int year, int month, int day) {
    const qint64 days = QDate(1899, 12, 31).daysTo(QDate(year, month, day));
    // Serial 60 is the 29 February 1900 that never was; later dates are one further on.
    return double(days >= 60 ? days + 1 : days);
}

namespace {

// A workbook saved under the other family's name (an .xls that is a zip package, an .xlsx that
// is a compound file) is read by what it holds; the name decides only between the two.
WorkbookKind kindFromContent(const QString &path, WorkbookKind byName) {
    if (byName != WorkbookKind::OpenXml && byName != WorkbookKind::Binary)
        return byName;
    const QByteArray bytes = fileHead(path);
    if (bytes.size() < 8)
        return byName;
    if (bytes.startsWith("PK\x03\x04"))
        return WorkbookKind::OpenXml;
    if (bytes == QByteArrayView("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8))
        return WorkbookKind::Binary;
    return byName;
}

} // namespace

std::optional<Workbook> readWorkbook(const QString &path, bool cells, QString *error,
                                     const std::function<bool()> &stop) {
    QString scratch;
    QString &message = error ? *error : scratch;
    message.clear();
    NativeStat st;
    if (!nativeStat(path, &st) || !st.isFile) {
        message = WorkbookText::CannotOpen;
        return std::nullopt;
    }
    try {
        switch (kindFromContent(path, workbookKindOf(lowerExtension(path)))) {
        case WorkbookKind::OpenXml:
            return readXlsx(path, cells, &message);
        case WorkbookKind::Binary:
            return readXls(path, cells, &message, stop);
        case WorkbookKind::OpenDocument:
            return readOds(path, cells, &message);
        case WorkbookKind::Csv:
            return readCsv(path, cells, &message);
        case WorkbookKind::None:
            break;
        }
    } catch (const std::bad_alloc &) {
        message = WorkbookText::TooLarge;
        return std::nullopt;
    } catch (const std::exception &) {
        message = WorkbookText::Damaged;
        return std::nullopt;
    }
    message = WorkbookText::UnknownFormat;
    return std::nullopt;
}
