#pragma once

#include "settings/Settings.h"

#include <QCheckBox>
#include <QDialog>
#include <QString>

#include <array>
#include <functional>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// What the options dialog reads from the main window and what it sets there on Apply. The
// window fills it in; a test can fill it without any window.
struct OptionHost {
    // Shown when the dialog opens: the text grid's font size in points, the legend colours
    // (changed, added, deleted).
    double fontSize = 9;
    std::array<Color, 3> legend = Settings::DefaultColours;
    // Set on Apply: the font size of the grids and the main area, one legend colour, the text
    // grid's wrap mode.
    std::function<void(int points)> setFontSize;
    std::function<void(int index, Color color)> setLegendColour;
    std::function<void(bool on)> setWordWrap;
};

// The folder content check. A stored FFile of 2 (contents as text) shows as the grey third
// state; a click only ever moves between checked and unchecked, so the user cannot land on
// the grey state by cycling.
class ContentCheckBox : public QCheckBox {
    Q_OBJECT
public:
    using QCheckBox::QCheckBox;

protected:
    void nextCheckState() override;
};

// The modal options dialog: font size, difference colours, external editors, double-click
// actions, wrap mode, case, the folder content check and multi-instance mode, the workbook
// zoom. It reads the settings and the host when it opens; OK and Apply write the settings
// and set the host's values.
class frmOption : public QDialog {
    Q_OBJECT
public:
    frmOption(const OptionHost &host, const Settings &settings, QWidget *parent = nullptr);
    ~frmOption() override;

    // Sizes the font-size box accepts: a whole number, or one with a fraction, in this range.
    static constexpr int MinFontSize = 1;
    static constexpr int MaxFontSize = 400;
    // The whole-number part of a font size typed into the box, or nothing when the text is
    // not a size the dialog accepts (it must read back from the file as the same size).
    static std::optional<int> parseFontSize(const QString &text);

    // Buttons by index: 0 OK, 1 Apply, 2 Cancel, 3 and 4 the editor pickers, 5 Initialise.
    void cmdMenu_Click(int index);
    // Validates, then sets the host's values and writes the settings. False when nothing was
    // applied: the font size was refused, or the file could not be written (said in
    // lblStatus).
    bool apply();

    // The folder content mode the check boxes stand for (FFile).
    int contentMode() const;
    // Selects the entry for a stored digit count; a count the list lacks (written by hand) is
    // added, so that Apply keeps it.
    void showSheetDigits(int digits);
    Color stateColour(int index) const { return m_colour[size_t(index)]; }
    void setStateColour(int index, Color color);

    // Controls, by the indexes the rest of the program knows them by.
    std::array<QComboBox *, 2> cbo{};   // 0 font size, 1 Excel zoom
    std::array<QLabel *, 3> txtState{}; // colour boxes: changed, added, deleted
    std::array<QLineEdit *, 2> txt{};   // 0 text editor, 1 binary editor
    QLabel *txtLabel = nullptr;         // the editor command hint
    std::array<QPushButton *, 6> cmdMenu{};
    QCheckBox *chkWrap = nullptr;           // wrap long lines in the text grid
    QCheckBox *chkIgnoreCase = nullptr;     // compare without regard to case
    QComboBox *cboSpace = nullptr;          // white space: kept, its amount or all ignored
    QCheckBox *chkBlankLines = nullptr;     // blank lines neither pair nor count
    QCheckBox *chkWidth = nullptr;          // full-width and half-width forms are equal
    QCheckBox *chkKana = nullptr;           // hiragana and katakana are equal
    QCheckBox *chkMinimal = nullptr;        // a minimal alignment of the lines
    QCheckBox *chkInlineDiff = nullptr;     // changed characters of a changed pair stand out
    QCheckBox *chkBackup = nullptr;         // saving keeps the file replaced as NAME.bak
    QCheckBox *chkSheetAlignRows = nullptr; // sheet rows paired by their contents
    QComboBox *cboSheetDigits = nullptr;    // significant digits of sheet numbers: all or 15
    QCheckBox *chkSheetFormulas = nullptr;  // sheet cells' formula texts compared too
    QCheckBox *chkContent = nullptr;        // compare folder entries by content (MD5)
    QCheckBox *chkContentText = nullptr;    // ... by content as text
    QCheckBox *chkRecursive = nullptr;      // folders compared through every level
    QLineEdit *txtExclude = nullptr;        // entry names a folder comparison leaves out
    QCheckBox *chkMulti = nullptr;          // a folder pair opens in a second instance
    std::array<QRadioButton *, 2> optDC{};  // text grid: 0 editor, 1 one-line window
    std::array<QRadioButton *, 2> optFDC{}; // folder grid: 0 open, 1 one-line comparison
    std::array<QLabel *, 22> Label1{};      // 0, 1 the text boxes'; 20, 21 the combo boxes'
    QLabel *lblStatus = nullptr;            // why Apply refused

    // Outside effects, replaceable by tests: the initialise question (true = OK), the colour
    // dialog (an invalid colour = cancelled), the open-file dialog (empty = cancelled).
    std::function<bool()> confirmInitialise;
    std::function<QColor(const QColor &initial)> pickColour;
    std::function<QString()> pickFile;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void Form_Load();
    void initialise();
    void pickEditor(int index);
    // A picked or dropped path into editor box `index`, as one word for the text editor.
    void setEditorPath(int index, const QString &path);
    void txtState_Click(int index);
    void focusChanged(QWidget *now);
    void markFontSize(bool bad);

    OptionHost m_host;
    Settings m_settings;
    std::array<Color, 3> m_colour{};
    QMetaObject::Connection m_focusConnection;
};
