// The controls of the options dialog and their layout: six frames in a column, the status line
// and the buttons below a separator. Layouts, not fixed positions: the dialog grows with its
// font and its screen's scaling, and nothing overlaps.
#include "settings/ui/OptionTexts.h"
#include "settings/ui/frmOption.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace OptionTexts;

namespace {

// Check boxes of a frame stand in a grid of three columns, filled row by row.
constexpr int CheckColumns = 3;

void addToGrid(QGridLayout *grid, QWidget *widget) {
    const int at = grid->count();
    grid->addWidget(widget, at / CheckColumns, at % CheckColumns);
}

QGridLayout *checkGrid() {
    auto *grid = new QGridLayout;
    grid->setColumnStretch(CheckColumns, 1);
    return grid;
}

// A frame of two radio buttons side by side.
QGroupBox *radioFrame(const QString &title, std::array<QRadioButton *, 2> &buttons,
                      const QString &first, const QString &second) {
    auto *frame = new QGroupBox(title);
    auto *row = new QHBoxLayout(frame);
    buttons[0] = new QRadioButton(first, frame);
    buttons[1] = new QRadioButton(second, frame);
    row->addWidget(buttons[0]);
    row->addSpacing(24);
    row->addWidget(buttons[1]);
    row->addStretch(1);
    return frame;
}

} // namespace

void frmOption::buildControls() {
    auto *page = new QVBoxLayout(this);
    page->setSizeConstraint(QLayout::SetFixedSize); // as large as its contents, no larger

    // General: font size and the difference colours.
    auto *general = new QGroupBox(FrameGeneral, this);
    auto *generalRow = new QHBoxLayout(general);
    Label1[20] = new QLabel(FontSizeLabel, general);
    cbo[0] = new QComboBox(general);
    cbo[0]->setEditable(true);
    cbo[0]->setInsertPolicy(QComboBox::NoInsert);
    cbo[0]->setMinimumContentsLength(3);
    for (const char *size : {"8", "9", "10", "11", "12", "14", "16", "18", "20", "22", "24"})
        cbo[0]->addItem(QString::fromLatin1(size));
    connect(cbo[0], &QComboBox::editTextChanged, this, [this] {
        if (cbo[0]->property("refused").toBool()) {
            markFontSize(false);
            lblStatus->clear();
        }
    });
    generalRow->addWidget(Label1[20]);
    generalRow->addWidget(cbo[0]);
    generalRow->addSpacing(24);
    generalRow->addWidget(new QLabel(ColoursLabel, general));
    const QString states[3] = {StateChanged, StateAdded, StateDeleted};
    for (int k = 0; k < 3; ++k) {
        auto *box = new QLabel(states[k], general);
        box->setAlignment(Qt::AlignCenter);
        box->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        box->setAutoFillBackground(true);
        box->setFocusPolicy(Qt::StrongFocus);
        box->setCursor(Qt::PointingHandCursor);
        box->setMinimumWidth(58);
        box->setMargin(3);
        box->installEventFilter(this);
        txtState[size_t(k)] = box;
        generalRow->addWidget(box);
    }
    generalRow->addStretch(1);
    page->addWidget(general);

    // Text comparison: editors, double-click action, wrap mode, case.
    auto *text = new QGroupBox(FrameText, this);
    auto *textColumn = new QVBoxLayout(text);
    auto *editors = new QGridLayout;
    const QString editorLabels[2] = {EditorLabel, BinaryEditorLabel};
    const QString editorTips[2] = {EditorTip, BinaryEditorTip};
    for (int i = 0; i < 2; ++i) {
        Label1[size_t(i)] = new QLabel(editorLabels[i], text);
        Label1[size_t(i)]->setCursor(Qt::PointingHandCursor);
        Label1[size_t(i)]->installEventFilter(this);
        txt[size_t(i)] = new QLineEdit(text);
        txt[size_t(i)]->setMinimumWidth(300);
        txt[size_t(i)]->setToolTip(editorTips[i]);
        txt[size_t(i)]->installEventFilter(this);
        cmdMenu[size_t(3 + i)] = new QPushButton(Browse, text);
        cmdMenu[size_t(3 + i)]->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        editors->addWidget(Label1[size_t(i)], i, 0);
        editors->addWidget(txt[size_t(i)], i, 1);
        editors->addWidget(cmdMenu[size_t(3 + i)], i, 2);
    }
    txtLabel = new QLabel(EditorHint, text);
    txtLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    editors->addWidget(txtLabel, 2, 1, 1, 2);
    textColumn->addLayout(editors);
    textColumn->addWidget(radioFrame(FrameDoubleClick, optDC, OpenInEditor, OneLine));
    QGridLayout *textChecks = checkGrid();
    chkWrap = new QCheckBox(Wrap, text);
    chkWrap->setToolTip(WrapTip);
    chkIgnoreCase = new QCheckBox(IgnoreCase, text);
    chkIgnoreCase->setToolTip(IgnoreCaseTip);
    chkMinimal = new QCheckBox(Minimal, text);
    chkMinimal->setToolTip(MinimalTip);
    chkInlineDiff = new QCheckBox(InlineDiff, text);
    chkInlineDiff->setToolTip(InlineDiffTip);
    chkBackup = new QCheckBox(Backup, text);
    chkBackup->setToolTip(BackupTip);
    for (QCheckBox *box : {chkWrap, chkIgnoreCase, chkMinimal, chkInlineDiff, chkBackup})
        addToGrid(textChecks, box);
    textColumn->addLayout(textChecks);
    page->addWidget(text);

    // What a text comparison ignores beyond letter case.
    auto *ignore = new QGroupBox(FrameIgnore, this);
    auto *ignoreColumn = new QVBoxLayout(ignore);
    auto *spaceRow = new QHBoxLayout;
    spaceRow->addWidget(new QLabel(IgnoreSpaceLabel, ignore));
    cboSpace = new QComboBox(ignore);
    cboSpace->addItems({KeepSpace, IgnoreSpaceAmount, IgnoreAllSpace});
    spaceRow->addWidget(cboSpace);
    spaceRow->addStretch(1);
    ignoreColumn->addLayout(spaceRow);
    QGridLayout *ignoreChecks = checkGrid();
    chkBlankLines = new QCheckBox(IgnoreBlankLines, ignore);
    chkWidth = new QCheckBox(IgnoreWidth, ignore);
    chkWidth->setToolTip(IgnoreWidthTip);
    chkKana = new QCheckBox(IgnoreKana, ignore);
    chkKana->setToolTip(IgnoreKanaTip);
    for (QCheckBox *box : {chkBlankLines, chkWidth, chkKana})
        addToGrid(ignoreChecks, box);
    ignoreColumn->addLayout(ignoreChecks);
    page->addWidget(ignore);

    // Folder comparison: content check, multi-instance, double-click action.
    auto *folder = new QGroupBox(FrameFolder, this);
    auto *folderColumn = new QVBoxLayout(folder);
    QGridLayout *folderChecks = checkGrid();
    chkContent = new ContentCheckBox(Content, folder);
    chkContent->setToolTip(ContentTip);
    chkContentText = new QCheckBox(ContentText, folder);
    chkContentText->setToolTip(ContentTextTip);
    chkRecursive = new QCheckBox(Recursive, folder);
    chkRecursive->setToolTip(RecursiveTip);
    chkMulti = new QCheckBox(Multi, folder);
    chkMulti->setToolTip(MultiTip);
    for (QCheckBox *box :
         {static_cast<QCheckBox *>(chkContent), chkContentText, chkRecursive, chkMulti})
        addToGrid(folderChecks, box);
    folderColumn->addLayout(folderChecks);
    auto *excludeRow = new QHBoxLayout;
    auto *excludeLabel = new QLabel(ExcludeLabel, folder);
    txtExclude = new QLineEdit(folder);
    txtExclude->setToolTip(ExcludeTip);
    excludeLabel->setBuddy(txtExclude);
    excludeRow->addWidget(excludeLabel);
    excludeRow->addWidget(txtExclude, 1);
    folderColumn->addLayout(excludeRow);
    // The text-content box stands for FFile = 2, which the first box shows as its grey
    // state: the two boxes always tell the same mode.
    connect(chkContentText, &QCheckBox::clicked, this, [this](bool on) {
        if (on)
            chkContent->setCheckState(Qt::PartiallyChecked);
        else if (chkContent->checkState() == Qt::PartiallyChecked)
            chkContent->setCheckState(Qt::Unchecked);
    });
    connect(chkContent, &QCheckBox::clicked, this, [this] { chkContentText->setChecked(false); });
    folderColumn->addWidget(radioFrame(FrameDoubleClick, optFDC, OpenFile, OneLine));
    optFDC[0]->setToolTip(OpenFileTip);
    optFDC[1]->setToolTip(OneLineTip);
    page->addWidget(folder);

    // Excel comparison: zoom of the sheets shown, and how rows and cells are compared.
    auto *excel = new QGroupBox(FrameExcel, this);
    auto *excelColumn = new QVBoxLayout(excel);
    auto *excelRow = new QHBoxLayout;
    excelColumn->addLayout(excelRow);
    Label1[21] = new QLabel(ZoomLabel, excel);
    cbo[1] = new QComboBox(excel);
    cbo[1]->addItems({QStringLiteral("100%"), QStringLiteral("85%"), QStringLiteral("70%")});
    cbo[1]->setToolTip(ZoomTip);
    excelRow->addWidget(Label1[21]);
    excelRow->addWidget(cbo[1]);
    excelRow->addSpacing(16);
    chkSheetAlignRows = new QCheckBox(SheetAlignRows, excel);
    chkSheetAlignRows->setToolTip(SheetAlignRowsTip);
    excelRow->addWidget(chkSheetAlignRows);
    excelRow->addStretch(1);
    auto *cellRow = new QHBoxLayout;
    excelColumn->addLayout(cellRow);
    auto *digitsLabel = new QLabel(SheetDigitsLabel, excel);
    cboSheetDigits = new QComboBox(excel);
    cboSheetDigits->addItems({AllDigits, QStringLiteral("15")});
    cboSheetDigits->setToolTip(SheetDigitsTip);
    digitsLabel->setBuddy(cboSheetDigits);
    cellRow->addWidget(digitsLabel);
    cellRow->addWidget(cboSheetDigits);
    cellRow->addSpacing(16);
    chkSheetFormulas = new QCheckBox(SheetFormulas, excel);
    chkSheetFormulas->setToolTip(SheetFormulasTip);
    cellRow->addWidget(chkSheetFormulas);
    cellRow->addStretch(1);
    page->addWidget(excel);
    for (QComboBox *box : cbo)
        box->installEventFilter(this);

    lblStatus = new QLabel(this);
    lblStatus->setWordWrap(true);
    QPalette red = lblStatus->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    lblStatus->setPalette(red);
    page->addWidget(lblStatus);

    // Buttons below a separator line.
    auto *separator = new QFrame(this);
    separator->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    page->addWidget(separator);
    auto *buttons = new QHBoxLayout;
    cmdMenu[5] = new QPushButton(Initialise, this);
    cmdMenu[5]->setToolTip(InitialiseTip);
    buttons->addWidget(cmdMenu[5]);
    buttons->addStretch(1);
    const QString captions[3] = {Ok, Apply, Cancel};
    for (int i = 0; i < 3; ++i) {
        cmdMenu[size_t(i)] = new QPushButton(captions[i], this);
        buttons->addWidget(cmdMenu[size_t(i)]);
    }
    for (int i : {0, 1, 2, 5})
        cmdMenu[size_t(i)]->setMinimumWidth(80);
    page->addLayout(buttons);
    cmdMenu[0]->setDefault(true);
    for (int i = 0; i < 6; ++i)
        connect(cmdMenu[size_t(i)], &QPushButton::clicked, this, [this, i] { cmdMenu_Click(i); });
}
