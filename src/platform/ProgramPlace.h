#pragma once

#include <QString>

// Where the program finds its own files: its settings and its ReadMe. A copy that runs from a
// folder of its own (the build folder, a portable copy) keeps setting.ini beside itself; an
// installed program (PREFIX/bin beside PREFIX/share/doc/corvane) or one in a folder the user
// cannot write keeps it in the user's configuration folder.

struct SettingsPlaceFacts {
    QString programFolder;
    bool programFolderWritable = false;
    bool installedLayout = false; // PREFIX/bin with PREFIX/share/doc/corvane beside it
    QString xdgConfigHome;        // $XDG_CONFIG_HOME, empty when unset
    QString home;                 // the user's home folder
};

// The folder that holds setting.ini for these facts (no trailing slash).
QString settingsFolderFor(const SettingsPlaceFacts &facts);
// The facts of the running program.
SettingsPlaceFacts currentSettingsPlaceFacts();
// Full path of setting.ini for the running program; the folder may not exist yet.
QString settingsFilePath();
// ReadMe.txt beside the program, else in the installed documentation folder.
QString readMeFilePath();
