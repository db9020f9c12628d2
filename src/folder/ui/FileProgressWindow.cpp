#include "folder/ui/FileProgressWindow.h"

#include "folder/ui/frmDialog.h"
#include "platform/NativePath.h"

#include <QMessageBox>
#include <QPushButton>

#include <algorithm>

namespace {

const QString CopyTitle = QStringLiteral("ファイルコピー");
const QString TrashTitle = QStringLiteral("ごみ箱へ移動");
const QString Copying = QStringLiteral("コピー中です...");
const QString Trashing = QStringLiteral("ごみ箱へ移動中です...");
const QString CancelText = QStringLiteral("キャンセル");
const QString NoTrashQuestion =
    QStringLiteral("次の項目はごみ箱が使えないため、ごみ箱へ移動できません。\n完全に削除しますか？"
                   "（元に戻せません）\n\n");
const QString Yes = QStringLiteral("はい(&Y)");
const QString No = QStringLiteral("いいえ(&N)");

constexpr int Steps = 1000;
constexpr int ShownNames = 20;

} // namespace

FileProgressWindow::FileProgressWindow(FileOperationKind kind, QWidget *parent)
    : QProgressDialog(parent), m_working(kind == FileOperationKind::Copy ? Copying : Trashing) {
    setWindowTitle(kind == FileOperationKind::Copy ? CopyTitle : TrashTitle);
    setLabelText(m_working);
    setCancelButtonText(CancelText);
    setRange(0, Steps);
    setWindowModality(Qt::WindowModal);
    setMinimumDuration(500); // short operations pass without a window
    setAutoReset(false);
    setAutoClose(false);
}

bool FileProgressWindow::report(quint64 done, quint64 total, const QString &name) {
    setLabelText(m_working + QLatin1Char('\n') + shownName(name));
    setValue(total > 0 ? int(std::min<quint64>(Steps, done * Steps / total)) : 0);
    return !wasCanceled();
}

bool FileProgressWindow::askDeleteForGood(const QStringList &names) {
    QStringList shown;
    for (const QString &name : names.mid(0, ShownNames))
        shown << shownName(name);
    if (names.size() > ShownNames)
        shown << QStringLiteral("...");
    show();
    QMessageBox box(QMessageBox::Question, windowTitle(),
                    NoTrashQuestion + shown.join(QLatin1Char('\n')), QMessageBox::NoButton, this);
    QPushButton *yes = box.addButton(Yes, QMessageBox::YesRole);
    QPushButton *no = box.addButton(No, QMessageBox::NoRole);
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
    return box.clickedButton() == yes;
}
