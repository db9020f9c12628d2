#include "settings/ui/frmOption.h"

#include "engine/ui/ColourConversion.h"
#include "platform/EditorCommand.h"
#include "platform/FileUrl.h"
#include "settings/ui/OptionTexts.h"

#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFileDialog>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QUrl>

using namespace OptionTexts;

namespace {

const QColor FocusLabel(0, 0, 255);
const QColor FocusBack(170, 255, 255);
const QColor RefusedBack(255, 200, 200);

void setTextColour(QWidget *w, const QColor &colour) {
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, colour);
    w->setPalette(p);
}

void setBackColour(QWidget *w, QPalette::ColorRole role, const QColor &colour) {
    QPalette p = w->palette();
    p.setColor(role, colour);
    w->setPalette(p);
}

// The first local file among dropped URLs, or an empty text.
QString firstDroppedFile(const QMimeData *data) {
    if (!data || !data->hasUrls())
        return QString();
    for (const QUrl &url : data->urls()) {
        if (url.isLocalFile())
            return QDir::toNativeSeparators(localPathOf(url));
    }
    return QString();
}

} // namespace

void ContentCheckBox::nextCheckState() {
    setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

frmOption::frmOption(const OptionHost &host, const Settings &settings, QWidget *parent)
    : QDialog(parent), m_host(host), m_settings(settings) {
    setWindowTitle(Caption);
    if (parent)
        setWindowIcon(parent->windowIcon());

    confirmInitialise = [this] {
        return QMessageBox::question(this, QStringLiteral("Corvane"), InitialiseQuestion,
                                     QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
    };
    pickColour = [this](const QColor &initial) { return QColorDialog::getColor(initial, this); };
    pickFile = [this] {
        // The caption as written, "すべてのファイル(*.*)"; Qt's "*" behind it.
        return QFileDialog::getOpenFileName(this, PickFileTitle, QString(), AllFilesFilter, nullptr,
                                            QFileDialog::HideNameFilterDetails);
    };

    buildControls();
    m_focusConnection = connect(qApp, &QApplication::focusChanged, this,
                                [this](QWidget *, QWidget *now) { focusChanged(now); });
    Form_Load();
}

// The children go after this destructor, and a focused one that goes moves the focus: the
// aids must not run on controls that are being deleted.
frmOption::~frmOption() {
    disconnect(m_focusConnection);
}

std::optional<int> frmOption::parseFontSize(const QString &text) {
    // Plain decimal digits only: the file's reader takes the leading whole number, so "1e1"
    // or "１０" would read back as something else than the size the user saw applied.
    static const QRegularExpression pattern(QStringLiteral("^([0-9]+)(\\.[0-9]*)?$"));
    const QRegularExpressionMatch m = pattern.match(text.trimmed());
    if (!m.hasMatch())
        return std::nullopt;
    QString whole = m.captured(1);
    while (whole.size() > 1 && whole.startsWith(u'0'))
        whole.remove(0, 1);
    if (whole.size() > 3)
        return std::nullopt;
    const int points = whole.toInt();
    if (points < MinFontSize || points > MaxFontSize)
        return std::nullopt;
    return points;
}

void frmOption::Form_Load() {
    // The size in effect, even when it is not one of the list's.
    const QString size = QString::number(qRound(m_host.fontSize));
    const int listed = cbo[0]->findText(size);
    if (listed >= 0)
        cbo[0]->setCurrentIndex(listed);
    else
        cbo[0]->setEditText(size);

    for (int k = 0; k < 3; ++k)
        setStateColour(k, m_host.legend[size_t(k)]);

    txt[0]->setText(m_settings.editor());
    txt[1]->setText(m_settings.binaryEditor());
    txtLabel->setText(EditorHint);

    chkWrap->setChecked(m_settings.wordWrap());
    chkIgnoreCase->setChecked(m_settings.ignoreCase());
    cboSpace->setCurrentIndex(m_settings.ignoreSpace());
    chkBlankLines->setChecked(m_settings.ignoreBlankLines());
    chkWidth->setChecked(m_settings.ignoreWidth());
    chkKana->setChecked(m_settings.ignoreKana());
    chkMinimal->setChecked(m_settings.minimalMatching());
    chkInlineDiff->setChecked(m_settings.inlineDiff());
    chkBackup->setChecked(m_settings.backup());
    chkSheetAlignRows->setChecked(m_settings.sheetAlignRows());
    showSheetDigits(m_settings.sheetDigits());
    chkSheetFormulas->setChecked(m_settings.sheetFormulas());
    chkRecursive->setChecked(m_settings.recursiveFolders());
    txtExclude->setText(m_settings.excludeNames());
    (m_settings.doubleClickAction() == 1 ? optDC[1] : optDC[0])->setChecked(true);

    // 1 digests, 2 contents as text (the grey state); anything else checks nothing.
    const int content = m_settings.folderContentMode();
    chkContent->setCheckState(content == 1   ? Qt::Checked
                              : content == 2 ? Qt::PartiallyChecked
                                             : Qt::Unchecked);
    chkContentText->setChecked(content == 2);
    chkMulti->setChecked(m_settings.multipleInstances());
    (m_settings.folderDoubleClickAction() == 1 ? optFDC[1] : optFDC[0])->setChecked(true);

    // A value outside the list selects nothing; Apply then keeps "no zoom" as -1.
    const int zoom = m_settings.sheetZoom();
    cbo[1]->setCurrentIndex(zoom >= 0 && zoom < cbo[1]->count() ? zoom : -1);
}

void frmOption::showSheetDigits(int digits) {
    if (digits <= 0) {
        cboSheetDigits->setCurrentIndex(0);
        return;
    }
    const QString count = QString::number(digits);
    if (cboSheetDigits->findText(count) < 0)
        cboSheetDigits->addItem(count);
    cboSheetDigits->setCurrentIndex(cboSheetDigits->findText(count));
}

int frmOption::contentMode() const {
    if (chkContentText->isChecked())
        return 2;
    switch (chkContent->checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    case Qt::Unchecked:
        break;
    }
    return 0;
}

void frmOption::setStateColour(int index, Color color) {
    m_colour[size_t(index)] = color;
    setBackColour(txtState[size_t(index)], QPalette::Window, toQColor(color));
    setTextColour(txtState[size_t(index)], Qt::black);
}

void frmOption::cmdMenu_Click(int index) {
    switch (index) {
    case 0:
        if (apply())
            accept();
        break;
    case 1:
        apply();
        break;
    case 2:
        reject();
        break;
    case 3:
    case 4:
        pickEditor(index - 3);
        break;
    case 5:
        initialise();
        break;
    default:
        break;
    }
}

bool frmOption::apply() {
    lblStatus->clear();
    // A size that is not a usable number is refused as a whole: nothing is set or written,
    // so the window and the file never disagree about what was applied.
    const QString sizeText = cbo[0]->currentText().trimmed();
    const std::optional<int> points = parseFontSize(sizeText);
    if (!points) {
        markFontSize(true);
        lblStatus->setText(BadFontSize);
        cbo[0]->setFocus();
        cbo[0]->lineEdit()->selectAll();
        return false;
    }
    markFontSize(false);

    if (m_host.setFontSize)
        m_host.setFontSize(*points);
    if (m_host.setLegendColour) {
        for (int k = 0; k < 3; ++k)
            m_host.setLegendColour(k, m_colour[size_t(k)]);
    }

    // Every value is tried even after a failed write; the failure is reported below.
    bool written = m_settings.setSheetZoom(cbo[1]->currentIndex());
    written = m_settings.setFontSize(sizeText) && written;
    written = m_settings.setEditor(txt[0]->text()) && written;
    written = m_settings.setBinaryEditor(txt[1]->text()) && written;
    written = m_settings.setDoubleClickAction(optDC[1]->isChecked() ? 1 : 0) && written;
    written = m_settings.setFolderDoubleClickAction(optFDC[1]->isChecked() ? 1 : 0) && written;
    written = m_settings.setWordWrap(chkWrap->isChecked()) && written;
    written = m_settings.setIgnoreCase(chkIgnoreCase->isChecked()) && written;
    written = m_settings.setIgnoreSpace(cboSpace->currentIndex()) && written;
    written = m_settings.setIgnoreBlankLines(chkBlankLines->isChecked()) && written;
    written = m_settings.setIgnoreWidth(chkWidth->isChecked()) && written;
    written = m_settings.setIgnoreKana(chkKana->isChecked()) && written;
    written = m_settings.setMinimalMatching(chkMinimal->isChecked()) && written;
    written = m_settings.setInlineDiff(chkInlineDiff->isChecked()) && written;
    written = m_settings.setBackup(chkBackup->isChecked()) && written;
    written = m_settings.setSheetAlignRows(chkSheetAlignRows->isChecked()) && written;
    // The first entry is every digit; the others name their count.
    written = m_settings.setSheetDigits(cboSheetDigits->currentIndex() == 0
                                            ? 0
                                            : cboSheetDigits->currentText().toInt()) &&
              written;
    written = m_settings.setSheetFormulas(chkSheetFormulas->isChecked()) && written;
    written = m_settings.setFolderContentMode(contentMode()) && written;
    written = m_settings.setRecursiveFolders(chkRecursive->isChecked()) && written;
    written = m_settings.setExcludeNames(txtExclude->text().trimmed()) && written;
    written = m_settings.setMultipleInstances(chkMulti->isChecked()) && written;

    if (m_host.setWordWrap)
        m_host.setWordWrap(chkWrap->isChecked());

    // Closing as if all were stored would lose the user's settings without a word.
    if (!written) {
        lblStatus->setText(WriteFailed + QDir::toNativeSeparators(m_settings.path()));
        return false;
    }
    return true;
}

void frmOption::initialise() {
    if (!confirmInitialise || !confirmInitialise())
        return;
    cbo[0]->setCurrentIndex(1);
    cbo[1]->setCurrentIndex(0);
    txt[0]->setText(defaultEditorCommand());
    txt[1]->clear();
    for (int k = 0; k < 3; ++k)
        setStateColour(k, Settings::DefaultColours[size_t(k)]);
    optDC[0]->setChecked(true);
    optFDC[1]->setChecked(true);
    chkWrap->setChecked(false);
    chkIgnoreCase->setChecked(false);
    cboSpace->setCurrentIndex(0);
    chkBlankLines->setChecked(false);
    chkWidth->setChecked(false);
    chkKana->setChecked(false);
    chkMinimal->setChecked(false);
    chkInlineDiff->setChecked(true);
    chkBackup->setChecked(false);
    chkSheetAlignRows->setChecked(false);
    cboSheetDigits->setCurrentIndex(0);
    chkSheetFormulas->setChecked(false);
    chkContent->setCheckState(Qt::Unchecked);
    chkContentText->setChecked(false);
    chkRecursive->setChecked(false);
    txtExclude->clear();
    chkMulti->setChecked(true);
}

void frmOption::pickEditor(int index) {
    if (!pickFile)
        return;
    QString path = pickFile();
    if (path.isEmpty())
        return;
    setEditorPath(index, QDir::toNativeSeparators(path));
}

void frmOption::setEditorPath(int index, const QString &path) {
    // The text editor's setting is a command line split like a shell's: a path with blanks or
    // quotes must be quoted or it would not stay one word. The binary editor's setting is a
    // plain path.
    txt[size_t(index)]->setText(index == 0 ? quoteCommandWord(path) : path);
}

void frmOption::txtState_Click(int index) {
    if (!pickColour)
        return;
    const QColor chosen = pickColour(toQColor(m_colour[size_t(index)]));
    if (chosen.isValid())
        setStateColour(index, fromQColor(chosen));
}

void frmOption::markFontSize(bool bad) {
    cbo[0]->setProperty("refused", bad);
    setBackColour(cbo[0]->lineEdit(), QPalette::Base, bad ? RefusedBack : QColor(Qt::white));
    cbo[0]->setToolTip(bad ? BadFontSize : QString());
}

// Editing aids: the label of the control with the focus turns blue, a text box also gets a
// light background; a colour box shows its text in bold.
void frmOption::focusChanged(QWidget *now) {
    for (int i = 0; i < 2; ++i) {
        const bool focused = now == txt[size_t(i)];
        setTextColour(Label1[size_t(i)], focused ? FocusLabel : QColor(Qt::black));
        setBackColour(txt[size_t(i)], QPalette::Base, focused ? FocusBack : QColor(Qt::white));
    }
    for (int i = 0; i < 2; ++i) {
        QComboBox *box = cbo[size_t(i)];
        const bool focused = now && (now == box || box->isAncestorOf(now));
        setTextColour(Label1[size_t(20 + i)], focused ? FocusLabel : QColor(Qt::black));
    }
    for (QLabel *box : txtState) {
        QFont font = box->font();
        font.setBold(now == box);
        box->setFont(font);
    }
}

bool frmOption::eventFilter(QObject *watched, QEvent *event) {
    switch (event->type()) {
    case QEvent::MouseButtonRelease: {
        if (static_cast<QMouseEvent *>(event)->button() != Qt::LeftButton)
            break;
        for (int k = 0; k < 3; ++k) {
            if (watched == txtState[size_t(k)]) {
                txtState_Click(k);
                return true;
            }
        }
        for (int i = 0; i < 2; ++i) {
            if (watched == Label1[size_t(i)]) {
                txt[size_t(i)]->setFocus();
                txt[size_t(i)]->selectAll();
                return true;
            }
        }
        break;
    }
    case QEvent::KeyPress: {
        const auto *key = static_cast<QKeyEvent *>(event);
        for (int k = 0; k < 3; ++k) {
            if (watched == txtState[size_t(k)] &&
                (key->key() == Qt::Key_Space || key->key() == Qt::Key_Return ||
                 key->key() == Qt::Key_Enter)) {
                txtState_Click(k);
                return true;
            }
        }
        // Ctrl+A selects the whole text whatever the platform binds to it.
        for (QLineEdit *box : txt) {
            if (watched == box && key->key() == Qt::Key_A &&
                (key->modifiers() & Qt::ControlModifier)) {
                box->selectAll();
                return true;
            }
        }
        break;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop: {
        // Files from the file manager: the first one's path replaces the text. Other drags
        // (plain text) are left to the box.
        for (QLineEdit *box : txt) {
            if (watched != box)
                continue;
            auto *drop = static_cast<QDropEvent *>(event);
            const QString path = firstDroppedFile(drop->mimeData());
            if (path.isEmpty())
                break;
            drop->acceptProposedAction();
            if (event->type() == QEvent::Drop) {
                setEditorPath(box == txt[0] ? 0 : 1, path);
                box->setFocus();
            }
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}
