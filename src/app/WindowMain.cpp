// The entry of the window module (see WindowModule.h).
#include "app/QtTranslations.h"
#include "app/WindowModule.h"
#include "mainwindow/frmMain.h"
#include "platform/NativePath.h"
#include "settings/IniFile.h"

#include <QApplication>
#include <QDir>
#include <QIcon>

extern "C" Q_DECL_EXPORT int corvaneRunWindow(int &argc, char **argv, const QStringList &elements) {
    QApplication app(argc, argv);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/corvane.svg")));
    QGuiApplication::setDesktopFileName(QStringLiteral("corvane")); // ties the window to its entry
    installQtTranslations(app); // without them the standard dialogs stay in English
    // The window writes its settings when it closes; an installed program keeps them in the
    // user's configuration folder, which a first run creates.
    const QString iniPath = gIniPath();
    QDir().mkpath(parentFolderOf(iniPath));
    frmMain window(elements.mid(1), iniPath);
    window.show();
    return app.exec();
}

// The entry has the type the program calls it through.
static_assert(std::is_same_v<RunWindowFunction, decltype(&corvaneRunWindow)>);
