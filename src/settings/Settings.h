#pragma once

#include "engine/ResultGrid.h"

#include <QString>
#include <QStringList>

#include <array>

// setting.ini, typed: each key the program keeps, with its type and its default, is known
// here and nowhere else. Nothing is cached: a getter reads the file when it is called and a
// setter writes at once, so what the options dialog stores is what the next reader sees.
// Setters return false when the file could not be written.
//
// Numbers read as the leading signed decimal of the value; a missing key gives the default;
// a Boolean is true for any non-zero number.
class Settings {
public:
    explicit Settings(const QString &iniPath);
    const QString &path() const { return m_path; }

    // The window's menu check marks, stored as -1/0.
    bool onTop() const;
    bool setOnTop(bool on);
    bool showToolbar() const;
    bool setShowToolbar(bool on);
    bool showStatusbar() const;
    bool setShowStatusbar(bool on);
    bool showDiffbar() const;
    bool setShowDiffbar(bool on);

    // The toolbar toggles, stored as 1/0.
    bool onlyDifferences() const;
    bool setOnlyDifferences(bool on);
    bool binary() const;
    bool setBinary(bool on);
    bool csv() const;
    bool setCsv(bool on);

    // The difference colours: 0 changed, 1 added, 2 deleted.
    static constexpr std::array<Color, 3> DefaultColours{65535, 16744448, 16776960};
    Color colour(int index) const;
    bool setColour(int index, Color colour);

    // The grids' font: the face (empty: the system's fixed-width font) and the size in
    // points. The size is stored as the user typed it ("10.5" reads back as 10).
    QString fontFace() const;
    int fontSize() const;
    bool setFontSize(const QString &typedSize);

    // The options dialog's check boxes, stored as 1/0.
    bool wordWrap() const;
    bool setWordWrap(bool on);
    bool ignoreCase() const;
    bool setIgnoreCase(bool on);
    bool multipleInstances() const;
    bool setMultipleInstances(bool on);

    // What a text comparison ignores beyond letter case (all off by default): white space
    // (0 none, 1 changes in its amount, 2 all of it), blank lines, character width, kana.
    int ignoreSpace() const;
    bool setIgnoreSpace(int mode);
    bool ignoreBlankLines() const;
    bool setIgnoreBlankLines(bool on);
    bool ignoreWidth() const;
    bool setIgnoreWidth(bool on);
    bool ignoreKana() const;
    bool setIgnoreKana(bool on);
    // Lines aligned by a minimal diff instead of the anchor scan.
    bool minimalMatching() const;
    bool setMinimalMatching(bool on);
    // A folder comparison goes through every level of both trees.
    bool recursiveFolders() const;
    bool setRecursiveFolders(bool on);
    // Entry names a folder comparison leaves out: wildcard patterns separated by ";".
    QString excludeNames() const;
    bool setExcludeNames(const QString &patterns);
    // The differing characters of a changed pair of lines stand out (grid, HTML, workbook).
    bool inlineDiff() const;
    bool setInlineDiff(bool on);
    // Sheet rows paired by their contents before their cells are compared.
    bool sheetAlignRows() const;
    bool setSheetAlignRows(bool on);
    // Sheet numbers compared to this many significant digits; 0 (or less) every digit.
    int sheetDigits() const;
    bool setSheetDigits(int digits);
    // Sheet cells compared by their formula texts too.
    bool sheetFormulas() const;
    bool setSheetFormulas(bool on);
    // Saving an edited text keeps the file it replaces beside it as NAME.bak.
    bool backup() const;
    bool setBackup(bool on);

    // What the folder comparison checks of the contents: 0 nothing, 1 digests, 2 the texts.
    int folderContentMode() const;
    bool setFolderContentMode(int mode);
    // Double-click actions: 1 opens the one-line comparison; anything else the editor (text
    // grid) or the file (folder grid).
    int doubleClickAction() const;
    bool setDoubleClickAction(int action);
    int folderDoubleClickAction() const;
    bool setFolderDoubleClickAction(int action);

    // External editor command lines ("%F" the path, "%L" the line) and the binary editor.
    QString editor() const;
    bool setEditor(const QString &commandLine);
    QString binaryEditor() const;
    bool setBinaryEditor(const QString &path);

    // The zoom of the written sheet copies as the dialog's list index (0 100 %, 1 85 %,
    // 2 70 %), and the save dialog's file type (1-based).
    int sheetZoom() const;
    bool setSheetZoom(int index);
    int saveTypeIndex() const;
    bool setSaveTypeIndex(int index);

    // The path boxes' history, each entry scrambled, joined with "|" (empty parts skipped).
    QStringList pathHistory() const;
    bool setPathHistory(const QStringList &entries);
    // Recent comparison n (1 to 5), scrambled: "path1|path2", or empty when not stored.
    QString recentComparison(int n) const;
    bool setRecentComparison(int n, const QString &pair);

    // The window: 0 normal, 1 minimised, 2 maximised; the normal place and size in twips.
    int windowState() const;
    bool setWindowState(int state);
    int windowX() const;
    bool setWindowX(int twips);
    int windowY() const;
    bool setWindowY(int twips);
    int windowWidth() const;
    bool setWindowWidth(int twips);
    int windowHeight() const;
    bool setWindowHeight(int twips);

private:
    QString m_path;
};
