#include "settings/Settings.h"

#include "platform/EditorCommand.h"
#include "settings/IniFile.h"
#include "settings/SettingCodec.h"

#include <algorithm>

namespace {

// How true is written: the menu check marks as -1, the toolbar toggles and check boxes as 1.
enum class TrueAs { MinusOne, One };

struct BoolKey {
    const char *name;
    bool defaultValue;
    TrueAs trueAs;
};
struct IntKey {
    const char *name;
    int defaultValue;
};
struct TextKey {
    const char *name; // the default is empty unless the getter says otherwise
};

// Every key of setting.ini.
constexpr BoolKey Top{"Top", false, TrueAs::MinusOne};
constexpr BoolKey Toolbar{"Toolbar", true, TrueAs::MinusOne};
constexpr BoolKey Statusbar{"Statusbar", true, TrueAs::MinusOne};
constexpr BoolKey Diffbar{"Diffbar", true, TrueAs::MinusOne};
constexpr BoolKey OnlyDF{"OnlyDF", false, TrueAs::One};
constexpr BoolKey Binary{"Binary", false, TrueAs::One};
constexpr BoolKey Csv{"Csv", false, TrueAs::One};
constexpr IntKey Colours[3] = {{"Color0", int(Settings::DefaultColours[0])},
                               {"Color1", int(Settings::DefaultColours[1])},
                               {"Color2", int(Settings::DefaultColours[2])}};
constexpr TextKey Font{"Font"};
constexpr IntKey FontSize{"FontSize", 9};
constexpr BoolKey Return{"Return", false, TrueAs::One};
constexpr BoolKey Letter{"Letter", false, TrueAs::One};
constexpr BoolKey FMulti{"FMulti", true, TrueAs::One};
constexpr IntKey FFile{"FFile", 0};
constexpr IntKey IgnoreSpace{"IgnoreSpace", 0};
constexpr BoolKey IgnoreBlankLines{"IgnoreBlankLines", false, TrueAs::One};
constexpr BoolKey IgnoreWidth{"IgnoreWidth", false, TrueAs::One};
constexpr BoolKey IgnoreKana{"IgnoreKana", false, TrueAs::One};
constexpr BoolKey Minimal{"Minimal", false, TrueAs::One};
constexpr BoolKey Recursive{"Recursive", false, TrueAs::One};
constexpr BoolKey InlineDiff{"InlineDiff", true, TrueAs::One};
constexpr BoolKey SheetAlignRows{"SheetAlignRows", false, TrueAs::One};
constexpr IntKey SheetDigits{"SheetDigits", 0};
constexpr BoolKey SheetFormulas{"SheetFormulas", false, TrueAs::One};
constexpr BoolKey Backup{"Backup", false, TrueAs::One};
constexpr IntKey DClk{"DClk", 0};
constexpr IntKey FDClk{"FDClk", 1};
constexpr TextKey Editer{"Editer"}; // default: the platform's editor command
constexpr TextKey BinaryEditer{"BinaryEditer"};
constexpr TextKey ExcludeNames{"ExcludeNames"};
constexpr IntKey Zoom{"Zoom", 0};
constexpr IntKey ExtIndex{"ExtIndex", 1};
constexpr TextKey Combo{"Combo"};
constexpr TextKey HistoryPrefix{"History0"}; // History01 to History05
constexpr IntKey WinState{"WinState", 0};
constexpr IntKey X{"X", 0};
constexpr IntKey Y{"Y", 0};
constexpr IntKey W{"W", 9600};
constexpr IntKey H{"H", 9600};

QString keyName(const char *name) {
    return QString::fromLatin1(name);
}

QString recentKey(int n) {
    return keyName(HistoryPrefix.name) + QString::number(n);
}

// The readers and writers every accessor goes through.
int read(const QString &path, const IntKey &key) {
    return readIniInt(SettingsSection, keyName(key.name), key.defaultValue, path);
}
bool read(const QString &path, const BoolKey &key) {
    return readIniInt(SettingsSection, keyName(key.name), key.defaultValue ? 1 : 0, path) != 0;
}
QString read(const QString &path, const TextKey &key, const QString &defaultValue = QString()) {
    return fReadIni(SettingsSection, keyName(key.name), path, defaultValue);
}

bool write(const QString &path, const char *name, const QString &value) {
    return writeIni(SettingsSection, keyName(name), value, path);
}
bool write(const QString &path, const IntKey &key, int value) {
    return write(path, key.name, QString::number(value));
}
bool write(const QString &path, const BoolKey &key, bool on) {
    const char *const trueText = key.trueAs == TrueAs::MinusOne ? "-1" : "1";
    return write(path, key.name, QString::fromLatin1(on ? trueText : "0"));
}
bool write(const QString &path, const TextKey &key, const QString &value) {
    return write(path, key.name, value);
}

} // namespace

Settings::Settings(const QString &iniPath) : m_path(iniPath) {}

bool Settings::onTop() const {
    return read(m_path, Top);
}
bool Settings::setOnTop(bool on) {
    return write(m_path, Top, on);
}
bool Settings::showToolbar() const {
    return read(m_path, Toolbar);
}
bool Settings::setShowToolbar(bool on) {
    return write(m_path, Toolbar, on);
}
bool Settings::showStatusbar() const {
    return read(m_path, Statusbar);
}
bool Settings::setShowStatusbar(bool on) {
    return write(m_path, Statusbar, on);
}
bool Settings::showDiffbar() const {
    return read(m_path, Diffbar);
}
bool Settings::setShowDiffbar(bool on) {
    return write(m_path, Diffbar, on);
}

bool Settings::onlyDifferences() const {
    return read(m_path, OnlyDF);
}
bool Settings::setOnlyDifferences(bool on) {
    return write(m_path, OnlyDF, on);
}
bool Settings::binary() const {
    return read(m_path, Binary);
}
bool Settings::setBinary(bool on) {
    return write(m_path, Binary, on);
}
bool Settings::csv() const {
    return read(m_path, Csv);
}
bool Settings::setCsv(bool on) {
    return write(m_path, Csv, on);
}

// A colour is stored as its number; a value beyond the int range reads back clamped.
Color Settings::colour(int index) const {
    return Color(read(m_path, Colours[index]));
}
bool Settings::setColour(int index, Color colour) {
    return write(m_path, Colours[index].name, QString::number(colour));
}

// Trimmed again: a value cut at a NUL character may end in blanks.
QString Settings::fontFace() const {
    return read(m_path, Font).trimmed();
}
int Settings::fontSize() const {
    return read(m_path, FontSize);
}
bool Settings::setFontSize(const QString &typedSize) {
    return write(m_path, FontSize.name, typedSize);
}

bool Settings::wordWrap() const {
    return read(m_path, Return);
}
bool Settings::setWordWrap(bool on) {
    return write(m_path, Return, on);
}
bool Settings::ignoreCase() const {
    return read(m_path, Letter);
}
bool Settings::setIgnoreCase(bool on) {
    return write(m_path, Letter, on);
}
bool Settings::multipleInstances() const {
    return read(m_path, FMulti);
}
bool Settings::setMultipleInstances(bool on) {
    return write(m_path, FMulti, on);
}

int Settings::ignoreSpace() const {
    return std::clamp(read(m_path, IgnoreSpace), 0, 2);
}
bool Settings::setIgnoreSpace(int mode) {
    return write(m_path, IgnoreSpace, mode);
}
bool Settings::ignoreBlankLines() const {
    return read(m_path, IgnoreBlankLines);
}
bool Settings::setIgnoreBlankLines(bool on) {
    return write(m_path, IgnoreBlankLines, on);
}
bool Settings::ignoreWidth() const {
    return read(m_path, IgnoreWidth);
}
bool Settings::setIgnoreWidth(bool on) {
    return write(m_path, IgnoreWidth, on);
}
bool Settings::ignoreKana() const {
    return read(m_path, IgnoreKana);
}
bool Settings::setIgnoreKana(bool on) {
    return write(m_path, IgnoreKana, on);
}

bool Settings::minimalMatching() const {
    return read(m_path, Minimal);
}
bool Settings::setMinimalMatching(bool on) {
    return write(m_path, Minimal, on);
}

bool Settings::recursiveFolders() const {
    return read(m_path, Recursive);
}
bool Settings::setRecursiveFolders(bool on) {
    return write(m_path, Recursive, on);
}
QString Settings::excludeNames() const {
    return read(m_path, ExcludeNames);
}
bool Settings::setExcludeNames(const QString &patterns) {
    return write(m_path, ExcludeNames, patterns);
}

bool Settings::inlineDiff() const {
    return read(m_path, InlineDiff);
}
bool Settings::setInlineDiff(bool on) {
    return write(m_path, InlineDiff, on);
}
bool Settings::sheetAlignRows() const {
    return read(m_path, SheetAlignRows);
}
bool Settings::setSheetAlignRows(bool on) {
    return write(m_path, SheetAlignRows, on);
}
int Settings::sheetDigits() const {
    return std::max(read(m_path, SheetDigits), 0);
}
bool Settings::setSheetDigits(int digits) {
    return write(m_path, SheetDigits, std::max(digits, 0));
}
bool Settings::sheetFormulas() const {
    return read(m_path, SheetFormulas);
}
bool Settings::setSheetFormulas(bool on) {
    return write(m_path, SheetFormulas, on);
}
bool Settings::backup() const {
    return read(m_path, Backup);
}
bool Settings::setBackup(bool on) {
    return write(m_path, Backup, on);
}

int Settings::folderContentMode() const {
    return read(m_path, FFile);
}
bool Settings::setFolderContentMode(int mode) {
    return write(m_path, FFile, mode);
}
int Settings::doubleClickAction() const {
    return read(m_path, DClk);
}
bool Settings::setDoubleClickAction(int action) {
    return write(m_path, DClk, action);
}
int Settings::folderDoubleClickAction() const {
    return read(m_path, FDClk);
}
bool Settings::setFolderDoubleClickAction(int action) {
    return write(m_path, FDClk, action);
}

QString Settings::editor() const {
    return read(m_path, Editer, defaultEditorCommand());
}
bool Settings::setEditor(const QString &commandLine) {
    return write(m_path, Editer, commandLine);
}
QString Settings::binaryEditor() const {
    return read(m_path, BinaryEditer);
}
bool Settings::setBinaryEditor(const QString &path) {
    return write(m_path, BinaryEditer, path);
}

int Settings::sheetZoom() const {
    return read(m_path, Zoom);
}
bool Settings::setSheetZoom(int index) {
    return write(m_path, Zoom, index);
}
int Settings::saveTypeIndex() const {
    return read(m_path, ExtIndex);
}
bool Settings::setSaveTypeIndex(int index) {
    return write(m_path, ExtIndex, index);
}

QStringList Settings::pathHistory() const {
    QStringList entries;
    for (const QString &part : read(m_path, Combo).split(u'|', Qt::SkipEmptyParts))
        entries << fDecodeSetting(part);
    return entries;
}
bool Settings::setPathHistory(const QStringList &entries) {
    QStringList parts;
    for (const QString &entry : entries)
        parts << fEncodeSetting(entry);
    return write(m_path, Combo, parts.join(u'|'));
}

QString Settings::recentComparison(int n) const {
    return fDecodeSetting(fReadIni(SettingsSection, recentKey(n), m_path, QString()));
}
bool Settings::setRecentComparison(int n, const QString &pair) {
    return writeIni(SettingsSection, recentKey(n), fEncodeSetting(pair), m_path);
}

int Settings::windowState() const {
    return read(m_path, WinState);
}
bool Settings::setWindowState(int state) {
    return write(m_path, WinState, state);
}
int Settings::windowX() const {
    return read(m_path, X);
}
bool Settings::setWindowX(int twips) {
    return write(m_path, X, twips);
}
int Settings::windowY() const {
    return read(m_path, Y);
}
bool Settings::setWindowY(int twips) {
    return write(m_path, Y, twips);
}
int Settings::windowWidth() const {
    return read(m_path, W);
}
bool Settings::setWindowWidth(int twips) {
    return write(m_path, W, twips);
}
int Settings::windowHeight() const {
    return read(m_path, H);
}
bool Settings::setWindowHeight(int twips) {
    return write(m_path, H, twips);
}
