#pragma once

class QCoreApplication;

// Qt's own Japanese texts for its standard dialogs (message box buttons, file, folder and
// colour pickers), from the system's Qt translations. The window speaks Japanese whatever the
// user's locale, so its dialogs do too. False, and nothing changed, when the translations are
// not installed: the dialogs then keep Qt's English texts.
bool installQtTranslations(QCoreApplication &app);
