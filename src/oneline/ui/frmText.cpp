#include "oneline/ui/frmText.h"

#include "engine/Workspace.h"
#include "engine/ui/ColourConversion.h"
#include "oneline/CharPairing.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <QStyle>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include <algorithm>

namespace {

const QString Caption = QStringLiteral("１行比較");
const QString LeftPrefix = QStringLiteral("左：");
const QString RightPrefix = QStringLiteral("右：");
const QString CloseText = QStringLiteral("閉じる");

// Layout in pixels.
constexpr int CaptionLeft = 3;
constexpr int FirstCaptionTop = 5;
constexpr int CaptionHeight = 12;
constexpr int CaptionPitch = 15;
constexpr int Gap = 8;
constexpr int MinimumWidth = 200;

QLabel *makeCaption(const QString &text, int top, int height, QWidget *parent) {
    auto *label = new QLabel(parent);
    // A path is shown as it is, never read as markup.
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setGeometry(CaptionLeft, top, 0, height);
    return label;
}

// A clipboard line may hold a lone CR or LF (it is split at CR LF only). Shown as it is, the
// break would push the rest of the line onto a row of its own; a visible symbol of the same
// length keeps both lines on their rows and every position in place.
QString displayed(QString line) {
    for (QChar &ch : line) {
        switch (ch.unicode()) {
        case u'\n':
            ch = QChar(0x240A); // ␊
            break;
        case u'\r':
            ch = QChar(0x240D); // ␍
            break;
        case QChar::LineSeparator:
        case QChar::ParagraphSeparator:
            ch = QChar(0x21B5); // ↵
            break;
        default:
            break;
        }
    }
    return line;
}

void paint(QTextCursor &cursor, int offset, const QList<MarkedRun> &runs, const QColor &changed,
           const QColor &added) {
    QTextCharFormat changedFormat;
    changedFormat.setBackground(changed);
    QTextCharFormat addedFormat;
    addedFormat.setBackground(added);
    for (const MarkedRun &run : runs) {
        cursor.setPosition(offset + run.start);
        cursor.setPosition(offset + run.start + run.length, QTextCursor::KeepAnchor);
        // Merging keeps every other attribute of the characters.
        cursor.mergeCharFormat(run.mark == CharMark::Changed ? changedFormat : addedFormat);
    }
}

} // namespace

frmText::frmText(const Workspace &ws, QWidget *owner) : QDialog(owner) {
    setWindowTitle(Caption);

    // The source row: the text grid's when it is in front, otherwise the binary grid's.
    const ResultGrid &grid = ws.fg.isEnabled() ? ws.fg : ws.fgB;
    QString left;
    QString right;
    const int row = grid.row();
    if (row >= 0 && row < grid.rows() && grid.cols() >= 4) {
        left = grid.text(row, 1);
        right = grid.text(row, 3);
    }

    // The captions need at least their own font's height; 12 pixels is the least.
    const int captionHeight =
        std::max(CaptionHeight, fontMetrics().height() + 4); // room for descenders
    const int secondTop = FirstCaptionTop + std::max(CaptionPitch, captionHeight + 3);
    lblLeft = makeCaption(LeftPrefix + ws.cb[0], FirstCaptionTop, captionHeight, this);
    lblRight = makeCaption(RightPrefix + ws.cb[1], secondTop, captionHeight, this);

    rtb = new QTextEdit(this);
    rtb->setReadOnly(true);
    rtb->setAcceptRichText(false);
    // No wrapping: the two lines stay one under the other, character above character, and a
    // fixed-pitch font makes the half-width units of the pairing match the screen.
    rtb->setLineWrapMode(QTextEdit::NoWrap);
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    rtb->setFont(fixed);
    rtb->document()->setDefaultFont(fixed);
    const QFontMetricsF fm(fixed);
    rtb->setTabStopDistance(8 * fm.horizontalAdvance(QLatin1Char(' ')));
    rtb->document()->setUndoRedoEnabled(false);
    const int frame = 2 * rtb->frameWidth();
    const int textHeight = int(2 * fm.lineSpacing() + 2 * rtb->document()->documentMargin()) + 2;
    const int scrollBar = rtb->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, rtb);
    const int rtbTop = secondTop + captionHeight + 5;
    rtb->setGeometry(0, rtbTop, 0, textHeight + frame + scrollBar);

    cmdClose = new QPushButton(CloseText, this);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::accept);
    cmdClose->setDefault(true);
    const QSize button = cmdClose->sizeHint().expandedTo(QSize(90, 0));
    cmdClose->setGeometry(0, rtb->geometry().bottom() + 1 + Gap, button.width(), button.height());

    // Nothing grows with the height, so only the width can change.
    const int height = cmdClose->geometry().bottom() + 1 + Gap;
    setMinimumSize(MinimumWidth, height);
    setMaximumHeight(height);
    const int width = owner ? int(owner->width() * 0.9) : 600;
    resize(std::max(MinimumWidth, width), height);

    fillText(left, right, ws);
}

void frmText::fillText(const QString &left, const QString &right, const Workspace &ws) {
    QTextCursor cursor(rtb->document());
    cursor.insertText(displayed(left));
    cursor.insertBlock();
    m_rightStart = cursor.position();
    cursor.insertText(displayed(right));

    const CharPairing pairing = pairCharacters(left, right, ws.ignoreCase);
    const QColor changed = toQColor(ws.txtState[0]);
    const QColor added = toQColor(ws.txtState[1]);
    paint(cursor, 0, pairing.left, changed, added);
    paint(cursor, m_rightStart, pairing.right, changed, added);

    cursor.setPosition(0);
    rtb->setTextCursor(cursor);
}

void frmText::resizeEvent(QResizeEvent *event) {
    QDialog::resizeEvent(event);
    const int inner = width();
    lblLeft->resize(inner, lblLeft->height());
    lblRight->resize(inner, lblRight->height());
    rtb->resize(inner - rtb->x(), rtb->height());
    cmdClose->move((inner - cmdClose->width()) / 2, cmdClose->y());
}
