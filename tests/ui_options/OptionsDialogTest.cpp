#include "mainwindow/ResultGridView.h"
#include "mainwindow/frmMain.h"
#include "platform/EditorCommand.h"
#include "settings/IniFile.h"
#include "settings/ui/frmOption.h"
#include "support/TempFiles.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// A prepared setting.ini and a host that records what the dialog sets on the window.
class OptionsDialogTest : public ::testing::Test {
protected:
    void writeIni(const QByteArray &keys) { files.write("setting.ini", "[Corvane]\n" + keys); }
    QString iniPath() const { return files.filePath("setting.ini"); }
    QString ini(const char *key) const {
        return fReadIni(SettingsSection, QString::fromLatin1(key), iniPath(), "<missing>");
    }

    // The ten keys the dialog writes, in its order, as one line.
    QString stored() const {
        QStringList values;
        for (const char *key : {"Zoom", "FontSize", "Editer", "BinaryEditer", "DClk", "FDClk",
                                "Return", "Letter", "FFile", "FMulti"})
            values << QString::fromLatin1(key) + u'=' + ini(key);
        return values.join(u' ');
    }

    // What the dialog's controls show, in the same order, plus the colour boxes.
    static QString shown(const frmOption &d) {
        return QStringLiteral("%1 %2 [%3] [%4] dc%5 fdc%6 wrap%7 case%8 content%9/%10 multi%11 "
                              "%12,%13,%14")
            .arg(d.cbo[1]->currentIndex())
            .arg(d.cbo[0]->currentText(), d.txt[0]->text(), d.txt[1]->text())
            .arg(d.optDC[1]->isChecked())
            .arg(d.optFDC[1]->isChecked())
            .arg(d.chkWrap->isChecked())
            .arg(d.chkIgnoreCase->isChecked())
            .arg(int(d.chkContent->checkState()))
            .arg(d.chkContentText->isChecked())
            .arg(d.chkMulti->isChecked())
            .arg(d.stateColour(0))
            .arg(d.stateColour(1))
            .arg(d.stateColour(2));
    }

    OptionHost host(double fontSize = 9) {
        OptionHost h;
        h.fontSize = fontSize;
        h.legend = {0x0000FF, 0x00FF00, 0xFF0000};
        h.setFontSize = [this](int points) { fontSizes.push_back(points); };
        h.setLegendColour = [this](int index, Color color) {
            legend[size_t(index)] = color;
            ++legendCalls;
        };
        h.setWordWrap = [this](bool on) { wraps.push_back(on); };
        return h;
    }

    TempFiles files;
    std::vector<int> fontSizes;
    std::array<Color, 3> legend{};
    int legendCalls = 0;
    std::vector<bool> wraps;
};

const QByteArray AllKeys = "Editer=gvim +%L %F\nBinaryEditer=/usr/bin/bvi\nReturn=1\nLetter=1\n"
                           "DClk=1\nFFile=1\nFMulti=0\nFDClk=0\nZoom=1\nFontSize=12\n";

} // namespace

TEST_F(OptionsDialogTest, LoadShowsTheStoredValuesAndTheWindowsFontAndColours) {
    writeIni(AllKeys);
    {
        // The window's size wins over the file's, and one that is not listed still shows.
        frmOption dialog(host(13.4), Settings(iniPath()));
        EXPECT_EQ(shown(dialog), "1 13 [gvim +%L %F] [/usr/bin/bvi] dc1 fdc0 wrap1 case1 "
                                 "content2/0 multi0 255,65280,16711680");
        EXPECT_EQ(dialog.cbo[1]->currentText(), "85%");
        EXPECT_EQ(dialog.txtState[1]->palette().color(QPalette::Window), QColor(0, 255, 0));
    }
    writeIni("Zoom=7\n"); // outside the list: nothing selected, written back as "no zoom"
    frmOption dialog(host(), Settings(iniPath()));
    EXPECT_EQ(shown(dialog), "-1 9 [" + defaultEditorCommand() +
                                 "] [] dc0 fdc1 wrap0 case0 content0/0 multi1 "
                                 "255,65280,16711680");
    ASSERT_TRUE(dialog.apply());
    EXPECT_EQ(ini("Zoom"), "-1");
}

TEST_F(OptionsDialogTest, ApplyWritesEveryKeyAndSetsTheWindowOkCloses) {
    writeIni("Color0=111\n");
    frmOption dialog(host(), Settings(iniPath()));
    dialog.cbo[0]->setEditText("14");
    dialog.cbo[1]->setCurrentIndex(2);
    dialog.txt[0]->setText("kate -l %L %F");
    dialog.txt[1]->setText("/opt/hex edit");
    dialog.optDC[1]->setChecked(true);
    dialog.optFDC[0]->setChecked(true);
    dialog.chkWrap->setChecked(true);
    dialog.chkIgnoreCase->setChecked(true);
    dialog.chkContent->click();
    dialog.chkMulti->setChecked(false);
    dialog.setStateColour(1, 0x123456);

    dialog.cmdMenu[1]->click();
    EXPECT_EQ(stored(), "Zoom=2 FontSize=14 Editer=kate -l %L %F BinaryEditer=/opt/hex edit "
                        "DClk=1 FDClk=0 Return=1 Letter=1 FFile=1 FMulti=0");
    // Colours live in the window until shut-down writes them.
    EXPECT_EQ(ini("Color0"), "111");
    EXPECT_EQ(ini("Color1"), "<missing>");
    EXPECT_EQ(fontSizes, std::vector<int>{14});
    EXPECT_EQ(legend, (std::array<Color, 3>{0x0000FF, 0x123456, 0xFF0000}));
    EXPECT_EQ(wraps, std::vector<bool>{true});
    EXPECT_NE(dialog.result(), QDialog::Accepted); // Apply leaves the dialog open

    dialog.chkWrap->setChecked(false);
    dialog.chkContent->click();
    dialog.cmdMenu[0]->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(ini("Return") + ini("FFile"), "00");
}

TEST_F(OptionsDialogTest, InitialiseAsksResetsOnlyTheControlsAndCancelKeepsTheFile) {
    writeIni(AllKeys);
    const QByteArray before = TempFiles::read(iniPath());
    frmOption dialog(host(16), Settings(iniPath()));
    const QString loaded = shown(dialog);
    int asked = 0;
    bool answer = false;
    dialog.confirmInitialise = [&] {
        ++asked;
        return answer;
    };

    dialog.cmdMenu[5]->click();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(shown(dialog), loaded);

    answer = true;
    dialog.cmdMenu[5]->click();
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(shown(dialog), "0 9 [" + defaultEditorCommand() +
                                 "] [] dc0 fdc1 wrap0 case0 content0/0 multi1 "
                                 "65535,16744448,16776960");

    dialog.cmdMenu[2]->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(TempFiles::read(iniPath()), before);
    EXPECT_TRUE(fontSizes.empty());
    EXPECT_EQ(legendCalls, 0);
}

TEST_F(OptionsDialogTest, StoredTextContentModeKeepsItsGreyStateUntilClicked) {
    writeIni("FFile=2\n");
    frmOption dialog(host(), Settings(iniPath()));
    EXPECT_EQ(dialog.chkContent->checkState(), Qt::PartiallyChecked);
    EXPECT_TRUE(dialog.chkContentText->isChecked());
    ASSERT_TRUE(dialog.apply());
    EXPECT_EQ(ini("FFile"), "2");

    // Clicks move between checked and unchecked only; the grey state is never reached again.
    const Qt::CheckState expected[3] = {Qt::Checked, Qt::Unchecked, Qt::Checked};
    for (Qt::CheckState state : expected) {
        dialog.chkContent->click();
        EXPECT_EQ(dialog.chkContent->checkState(), state);
        EXPECT_FALSE(dialog.chkContentText->isChecked());
        ASSERT_TRUE(dialog.apply());
        EXPECT_EQ(ini("FFile"), state == Qt::Checked ? "1" : "0");
    }

    // The text-content box chooses mode 2 and shows it in the first box's grey state.
    dialog.chkContentText->click();
    EXPECT_EQ(dialog.chkContent->checkState(), Qt::PartiallyChecked);
    ASSERT_TRUE(dialog.apply());
    EXPECT_EQ(ini("FFile"), "2");
    dialog.chkContentText->click();
    EXPECT_EQ(dialog.chkContent->checkState(), Qt::Unchecked);
    EXPECT_EQ(dialog.contentMode(), 0);
}

TEST_F(OptionsDialogTest, BadFontSizeIsRefusedMarkedAndNothingIsWritten) {
    writeIni(AllKeys);
    const QByteArray before = TempFiles::read(iniPath());
    frmOption dialog(host(), Settings(iniPath()));
    dialog.txt[0]->setText("changed %F");
    for (const char *bad : {"", "abc", "0", "-3", "0.5", "1e1", "12pt", "401", "99999999999"}) {
        SCOPED_TRACE(bad);
        dialog.cbo[0]->setEditText(QString::fromUtf8(bad));
        dialog.cmdMenu[0]->click();
        EXPECT_NE(dialog.result(), QDialog::Accepted); // OK keeps the dialog open
        EXPECT_FALSE(dialog.lblStatus->text().isEmpty());
        EXPECT_FALSE(dialog.cbo[0]->toolTip().isEmpty());
        EXPECT_EQ(dialog.cbo[0]->lineEdit()->palette().color(QPalette::Base),
                  QColor(255, 200, 200));
        EXPECT_EQ(TempFiles::read(iniPath()), before);
    }
    EXPECT_TRUE(fontSizes.empty() && wraps.empty() && legendCalls == 0);

    dialog.cbo[0]->setEditText("11"); // typing again takes the mark away
    EXPECT_TRUE(dialog.cbo[0]->toolTip().isEmpty() && dialog.lblStatus->text().isEmpty());
}

TEST_F(OptionsDialogTest, FractionalFontSizeIsStoredAsTypedAndReadsBackWhole) {
    frmOption dialog(host(), Settings(iniPath()));
    dialog.cbo[0]->setEditText(" 10.5 ");
    ASSERT_TRUE(dialog.apply());
    EXPECT_EQ(ini("FontSize"), "10.5");
    EXPECT_EQ(Settings(iniPath()).fontSize(), 10);
    EXPECT_EQ(fontSizes, std::vector<int>{10});
    EXPECT_EQ(frmOption::parseFontSize("007.25"), 7);
    EXPECT_EQ(frmOption::parseFontSize("400.9"), 400);
}

TEST_F(OptionsDialogTest, UnwritableFileIsReportedAndOkStaysOpen) {
    files.write("blocker", "a file, not a folder");
    frmOption dialog(host(), Settings(files.filePath("blocker/setting.ini")));
    dialog.cmdMenu[0]->click();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(dialog.lblStatus->text().contains("setting.ini"));
}

TEST_F(OptionsDialogTest, ColourBoxesAndEditorPickersTakeOnlyConfirmedChoices) {
    frmOption dialog(host(), Settings(iniPath()));
    QColor offered, answer(1, 2, 3);
    dialog.pickColour = [&](const QColor &initial) {
        offered = initial;
        return answer;
    };
    QTest::mouseClick(dialog.txtState[2], Qt::LeftButton);
    EXPECT_EQ(offered, QColor(0, 0, 255));
    EXPECT_EQ(dialog.stateColour(2), 0x030201u);
    answer = QColor(); // cancelled
    QTest::keyClick(dialog.txtState[0], Qt::Key_Space);
    EXPECT_EQ(offered, QColor(255, 0, 0));
    EXPECT_EQ(dialog.stateColour(0), 0x0000FFu);

    // The text editor's setting is a command line: a picked path with blanks or quotes is
    // quoted so that it stays one word.
    QString picked = "/opt/Bob's \"My Editor\"/edit";
    dialog.pickFile = [&] { return picked; };
    dialog.cmdMenu[3]->click();
    dialog.cmdMenu[4]->click();
    EXPECT_EQ(splitCommandWords(dialog.txt[0]->text()), QStringList{picked});
    EXPECT_EQ(dialog.txt[1]->text(), picked);
    picked.clear(); // cancelled
    dialog.cmdMenu[4]->click();
    EXPECT_EQ(dialog.txt[1]->text(), "/opt/Bob's \"My Editor\"/edit");
}

TEST_F(OptionsDialogTest, LabelClickSelectsAndDroppedFilesFillTheTextBoxes) {
    frmOption dialog(host(), Settings(iniPath()));
    dialog.txt[0]->setText("some command");
    QTest::mouseClick(dialog.Label1[0], Qt::LeftButton);
    EXPECT_EQ(dialog.txt[0]->selectedText(), "some command");

    // The first local file counts; a web address is not a path.
    QMimeData data;
    data.setUrls({QUrl("https://example.org/x"), QUrl::fromLocalFile("/usr/bin/first"),
                  QUrl::fromLocalFile("/usr/bin/second")});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(dialog.txt[1], &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(dialog.txt[1], &drop);
    EXPECT_EQ(dialog.txt[1]->text(), "/usr/bin/first");
    // Dropped onto the text editor's box, a path with a blank stays one word.
    data.setUrls({QUrl::fromLocalFile("/opt/my editor")});
    QDragEnterEvent enterText(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(dialog.txt[0], &enterText);
    QDropEvent dropText(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(dialog.txt[0], &dropText);
    EXPECT_EQ(splitCommandWords(dialog.txt[0]->text()), QStringList{"/opt/my editor"});
}

TEST_F(OptionsDialogTest, MainWindowOpensItAndRereadsFolderAndCaseModes) {
    writeIni("FFile=0\nLetter=0\n");
    frmMain w({}, iniPath());
    QAction *menuItem = nullptr, *button = nullptr;
    for (QAction *a : w.findChildren<QAction *>()) {
        if (a->text() == QStringLiteral("オプション画面表示(&O)..."))
            menuItem = a;
        else if (a->text() == QStringLiteral("設定"))
            button = a;
    }
    ASSERT_TRUE(menuItem && button);
    EXPECT_TRUE(menuItem->isEnabled() && button->isEnabled());

    bool opened = false;
    QTimer::singleShot(0, &w, [&] {
        auto *dialog = w.findChild<frmOption *>();
        if (!dialog) { // never leave the test hanging in a modal loop
            if (QWidget *modal = QApplication::activeModalWidget())
                modal->close();
            return;
        }
        opened = true;
        dialog->cbo[0]->setEditText("14");
        dialog->chkContent->click();
        dialog->chkIgnoreCase->setChecked(true);
        dialog->setStateColour(2, 0x010203);
        dialog->cmdMenu[0]->click();
    });
    button->trigger();

    ASSERT_TRUE(opened);
    EXPECT_EQ(w.workspace().folderContentMode, 1);
    EXPECT_TRUE(w.workspace().ignoreCase);
    EXPECT_EQ(w.workspace().txtState[2], 0x010203u);
    EXPECT_EQ(w.view(ResultView::Folder)->font().pointSize(), 14);
}

TEST_F(OptionsDialogTest, IgnoreAndBackupOptionsAreStoredShownAgainAndReset) {
    writeIni("");
    {
        frmOption dialog(host(), Settings(iniPath()));
        EXPECT_EQ(dialog.cboSpace->currentIndex(), 0);
        dialog.cboSpace->setCurrentIndex(2);
        dialog.chkBlankLines->setChecked(true);
        dialog.chkKana->setChecked(true);
        EXPECT_FALSE(dialog.chkBackup->isChecked());
        dialog.chkBackup->setChecked(true);
        dialog.cmdMenu[0]->click();
    }
    EXPECT_EQ(ini("IgnoreSpace") + ini("IgnoreBlankLines") + ini("IgnoreWidth") + ini("IgnoreKana"),
              "2101");
    EXPECT_EQ(ini("Backup"), "1");
    frmOption again(host(), Settings(iniPath()));
    EXPECT_EQ(again.cboSpace->currentIndex(), 2);
    EXPECT_TRUE(again.chkBlankLines->isChecked());
    EXPECT_FALSE(again.chkWidth->isChecked());
    EXPECT_TRUE(again.chkKana->isChecked());
    EXPECT_TRUE(again.chkBackup->isChecked());
    again.confirmInitialise = [] { return true; };
    again.cmdMenu[5]->click();
    EXPECT_EQ(again.cboSpace->currentIndex(), 0);
    EXPECT_FALSE(again.chkBlankLines->isChecked() || again.chkKana->isChecked() ||
                 again.chkBackup->isChecked());
}

namespace {

// Every option control of the dialog with its state, in the order the dialog builds them. The
// colour boxes are not listed: they live in the window until shut-down writes them.
QStringList optionStates(const frmOption &d) {
    QStringList states;
    const QList<QWidget *> widgets = d.findChildren<QWidget *>();
    for (int i = 0; i < widgets.size(); ++i) {
        QWidget *w = widgets[i];
        const QString at = QString::number(i) + u' ';
        if (auto *check = qobject_cast<QCheckBox *>(w))
            states << at + check->text() + u'=' + QString::number(int(check->checkState()));
        else if (auto *radio = qobject_cast<QRadioButton *>(w))
            states << at + radio->text() + u'=' + QString::number(radio->isChecked());
        else if (auto *combo = qobject_cast<QComboBox *>(w))
            states << at + QStringLiteral("combo=") + combo->currentText();
        else if (auto *edit = qobject_cast<QLineEdit *>(w);
                 edit && !edit->parentWidget()->inherits("QComboBox"))
            states << at + QStringLiteral("edit=") + edit->text();
    }
    return states;
}

// Changes the option control at `index` of optionStates' list away from what it shows; false
// when that entry is no option control.
bool changeOption(frmOption &d, int index) {
    QWidget *w = d.findChildren<QWidget *>().value(index);
    if (auto *check = qobject_cast<QCheckBox *>(w)) {
        check->click();
    } else if (auto *radio = qobject_cast<QRadioButton *>(w)) {
        if (radio->isChecked()) {
            // Its partner in the same frame takes the choice.
            for (QRadioButton *other : radio->parentWidget()->findChildren<QRadioButton *>()) {
                if (other != radio) {
                    other->click();
                    break;
                }
            }
        } else {
            radio->click();
        }
    } else if (auto *combo = qobject_cast<QComboBox *>(w)) {
        combo->setCurrentIndex((combo->currentIndex() + 1) % combo->count());
    } else if (auto *edit = qobject_cast<QLineEdit *>(w);
               edit && !edit->parentWidget()->inherits("QComboBox")) {
        edit->setText(edit->text().isEmpty() ? QStringLiteral("x") : edit->text() + u'x');
    } else {
        return false;
    }
    return true;
}

} // namespace

// Each option on its own: changed, OK, and a dialog opened afresh on the file (as after a
// restart) shows exactly what was confirmed; changed back, the same again. An option the
// dialog shows but does not store, or stores but does not show, fails here.
TEST_F(OptionsDialogTest, EveryOptionIsStoredAndShownAgainOnItsOwn) {
    writeIni("");
    const auto open = [this] {
        return std::make_unique<frmOption>(host(Settings(iniPath()).fontSize()),
                                           Settings(iniPath()));
    };
    const int widgets = int(open()->findChildren<QWidget *>().size());
    int options = 0;
    QList<int> tried;
    for (int i = 0; i < widgets; ++i) {
        for (int pass = 0; pass < 2; ++pass) {
            auto dialog = open();
            const QStringList before = optionStates(*dialog);
            if (!changeOption(*dialog, i))
                break;
            const QStringList confirmed = optionStates(*dialog);
            SCOPED_TRACE(confirmed.filter(QRegularExpression("^" + QString::number(i) + " "))
                             .join(u',')
                             .toStdString());
            ASSERT_NE(confirmed, before);
            dialog->cmdMenu[0]->click();
            ASSERT_EQ(dialog->result(), QDialog::Accepted);
            EXPECT_EQ(optionStates(*open()).join(u'\n').toStdString(),
                      confirmed.join(u'\n').toStdString());
            options += pass;
            if (pass == 1)
                tried << i;
        }
    }
    EXPECT_GE(options, 20); // every check box, radio, list and text box was tried
    const auto dialog = open();
    const QList<QWidget *> all = dialog->findChildren<QWidget *>();
    for (QWidget *latest : {static_cast<QWidget *>(dialog->cboSheetDigits),
                            static_cast<QWidget *>(dialog->chkSheetFormulas)})
        EXPECT_TRUE(tried.contains(all.indexOf(latest)));
}

TEST_F(OptionsDialogTest, SheetRowAlignmentIsStoredAndShown) {
    writeIni("SheetAlignRows=1\n");
    frmOption dialog(host(), Settings(iniPath()));
    EXPECT_TRUE(dialog.chkSheetAlignRows->isChecked());
    dialog.chkSheetAlignRows->click();
    dialog.cmdMenu[0]->click();
    EXPECT_EQ(ini("SheetAlignRows"), "0");
    EXPECT_FALSE(Settings(iniPath()).sheetAlignRows());
}

TEST_F(OptionsDialogTest, SheetDigitsAndFormulasAreStoredShownAndReset) {
    writeIni("SheetDigits=12\nSheetFormulas=1\n");
    {
        // A count the list lacks, written by hand, is shown and kept.
        frmOption dialog(host(), Settings(iniPath()));
        EXPECT_EQ(dialog.cboSheetDigits->currentText(), "12");
        EXPECT_TRUE(dialog.chkSheetFormulas->isChecked());
        dialog.cmdMenu[0]->click();
    }
    EXPECT_EQ(ini("SheetDigits") + ini("SheetFormulas"), "121");
    frmOption dialog(host(), Settings(iniPath()));
    dialog.cboSheetDigits->setCurrentIndex(dialog.cboSheetDigits->findText("15"));
    dialog.cmdMenu[1]->click();
    EXPECT_EQ(Settings(iniPath()).sheetDigits(), 15);
    dialog.confirmInitialise = [] { return true; };
    dialog.cmdMenu[5]->click();
    EXPECT_EQ(dialog.cboSheetDigits->currentText(), "すべて");
    EXPECT_FALSE(dialog.chkSheetFormulas->isChecked());
    dialog.cmdMenu[1]->click();
    EXPECT_EQ(ini("SheetDigits") + ini("SheetFormulas"), "00");
}
