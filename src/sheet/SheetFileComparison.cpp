#include "sheet/SheetFileComparison.h"

#include "platform/Background.h"
#include "sheet/XlsxColouredCopy.h"

#include <QDir>
#include <QFileInfo>

#include <utility>

namespace {

const QString CannotRead = QStringLiteral("%1 を読み込めませんでした: %2");
const QString NoSuchSheet = QStringLiteral("シート「%1」が %2 にありません");
const QString CannotWrite = QStringLiteral("比較結果を書き込めませんでした: %1");
const QString Stopped = QStringLiteral("中断しました");
const QString NoTempFolder = QStringLiteral("一時フォルダを作成できませんでした");

// A file name part made of a sheet or workbook name: no path separators or characters that
// some file systems refuse.
QString safeFileName(QString name) {
    static const QString Refused = QStringLiteral("\\/:*?\"<>|");
    for (QChar &c : name) {
        if (Refused.contains(c) || c.unicode() < 0x20)
            c = QLatin1Char('_');
    }
    return name;
}

Sheet *findSheet(Workbook &book, const QString &name) {
    for (Sheet &sheet : book.sheets) {
        if (sheet.name == name)
            return &sheet;
    }
    return nullptr;
}

} // namespace

int sheetZoomPercent(int index) {
    switch (index) {
    case 0:
        return 100;
    case 1:
        return 85;
    case 2:
        return 70;
    default:
        return 0;
    }
}

namespace {

// One side: the named sheet of a book, or the problem that kept it from being read.
struct SideRead {
    std::optional<Sheet> sheet;
    QString problem;
};

SideRead readSide(const SheetFileRequest &request, int i) {
    SideRead side;
    const QString &path = request.paths[size_t(i)];
    const QString &name = request.sheetNames[size_t(i)];
    const QString fileName = QFileInfo(path).fileName();
    QString error;
    std::optional<Workbook> book = readWorkbook(path, true, &error, request.stop);
    if (!book) {
        side.problem = CannotRead.arg(fileName.isEmpty() ? path : fileName, error);
    } else if (Sheet *sheet = findSheet(*book, name)) {
        side.sheet = std::move(*sheet);
    } else {
        side.problem = NoSuchSheet.arg(name, fileName);
    }
    // The rest of the book is freed here, on the thread that read it.
    return side;
}

} // namespace

SheetFileComparison readAndCompareSheets(const SheetFileRequest &request) {
    SheetFileComparison result;
    // The two books are read at the same time: each takes a processor of its own.
    Background::Half<SideRead> right =
        Background::split([&request] { return readSide(request, 1); });
    SideRead sides[2] = {readSide(request, 0), right.get()};
    for (const SideRead &side : sides) {
        if (!side.problem.isEmpty())
            result.problems << side.problem;
    }
    if (!sides[0].sheet || !sides[1].sheet)
        return result;
    result.sheets[0] = std::move(*sides[0].sheet);
    result.sheets[1] = std::move(*sides[1].sheet);
    result.comparison = compareSheets(result.sheets[0], result.sheets[1], request.legend,
                                      request.alignRows, request.stop, request.rules);
    if (result.comparison.stopped) {
        result.problems << Stopped;
        return result;
    }
    result.compared = true;
    return result;
}

void writeSheetCopies(const SheetFileRequest &request, SheetFileComparison &result) {
    if (!result.compared)
        return;
    const QString folder = request.outputFolder ? request.outputFolder() : QString();
    if (folder.isEmpty() || !QDir().mkpath(folder)) {
        result.problems << NoTempFolder;
        return;
    }
    const QHash<quint64, Color> *colors[2] = {&result.comparison.leftColors,
                                              &result.comparison.rightColors};
    for (int i = 0; i < 2; ++i) {
        const QString &source = request.paths[size_t(i)];
        // An .xlsx or .xlsm is copied whole with fills added; other kinds become a new .xlsx.
        const QString ext = QFileInfo(source).suffix().toLower();
        const bool ownPackage = ext == u"xlsx" || ext == u"xlsm";
        const QString base =
            QDir(folder).filePath(QStringLiteral("%1_%2_%3.")
                                      .arg(i + 1)
                                      .arg(safeFileName(QFileInfo(source).completeBaseName()),
                                           safeFileName(request.sheetNames[size_t(i)])));
        if (ownPackage && writeColouredPackage(source, request.sheetNames[size_t(i)], *colors[i],
                                               request.zoomPercent, base + ext)) {
            result.copies << base + ext;
            continue;
        }
        const QString path = base + QStringLiteral("xlsx");
        if (writeColouredSheet(result.sheets[size_t(i)], *colors[i], request.zoomPercent, path))
            result.copies << path;
        else
            result.problems << CannotWrite.arg(QFileInfo(path).fileName());
    }
}

SheetFileComparison compareSheetFiles(const SheetFileRequest &request) {
    SheetFileComparison result = readAndCompareSheets(request);
    writeSheetCopies(request, result);
    return result;
}
