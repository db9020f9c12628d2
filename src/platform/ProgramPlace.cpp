#include "platform/ProgramPlace.h"

#include "platform/NativePath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

const QString DocFolder = QStringLiteral("share/doc/corvane");
const QString ReadMeName = QStringLiteral("ReadMe.txt");

bool isFile(const QString &path) {
    NativeStat st;
    return nativeStat(path, &st) && st.isFile;
}

// PREFIX of PREFIX/bin, or empty when the program does not sit in a bin folder.
QString installPrefixOf(const QString &programFolder) {
    if (lastNameOf(programFolder) != QStringLiteral("bin"))
        return QString();
    return parentFolderOf(programFolder);
}

bool isInstalledLayout(const QString &programFolder) {
    const QString prefix = installPrefixOf(programFolder);
    return !prefix.isEmpty() && isFile(fJoinPath(fJoinPath(prefix, DocFolder), ReadMeName));
}

bool folderWritable(const QString &folder) {
#ifdef Q_OS_UNIX
    return ::access(QFile::encodeName(folder).constData(), W_OK) == 0;
#else
    return QFileInfo(folder).isWritable();
#endif
}

} // namespace

QString settingsFolderFor(const SettingsPlaceFacts &facts) {
    if (facts.programFolderWritable && !facts.installedLayout)
        return facts.programFolder;
    // A relative $XDG_CONFIG_HOME is invalid and ignored, as the base directory rules say.
    const QString base = QDir::isAbsolutePath(facts.xdgConfigHome)
                             ? facts.xdgConfigHome
                             : fJoinPath(facts.home, QStringLiteral(".config"));
    return fJoinPath(base, QStringLiteral("corvane"));
}

SettingsPlaceFacts currentSettingsPlaceFacts() {
    SettingsPlaceFacts facts;
    facts.programFolder = programFolder();
    facts.programFolderWritable = folderWritable(facts.programFolder);
    facts.installedLayout = isInstalledLayout(facts.programFolder);
    facts.xdgConfigHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    facts.home = QDir::homePath();
    return facts;
}

QString settingsFilePath() {
    return fJoinPath(settingsFolderFor(currentSettingsPlaceFacts()), QStringLiteral("setting.ini"));
}

QString readMeFilePath() {
    const QString folder = programFolder();
    const QString beside = fJoinPath(folder, ReadMeName);
    if (isFile(beside))
        return beside;
    const QString prefix = installPrefixOf(folder);
    const QString installed = fJoinPath(fJoinPath(prefix, DocFolder), ReadMeName);
    return !prefix.isEmpty() && isFile(installed) ? installed : beside;
}
