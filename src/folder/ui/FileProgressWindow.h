#pragma once

#include <QProgressDialog>
#include <QStringList>

enum class FileOperationKind;

// The progress of a copy or a move to the trash while it runs on the window's thread, and the
// one question such an operation may ask. Short operations pass without showing it.
class FileProgressWindow : public QProgressDialog {
    Q_OBJECT
public:
    FileProgressWindow(FileOperationKind kind, QWidget *parent);

    // The progress callback of the file operations: shows the entry being worked on and how
    // far the operation got; false once the user has pressed Cancel.
    bool report(quint64 done, quint64 total, const QString &name);

    // Whether entries that have no trash may be deleted for good. The question is modal and
    // stands in front of this window (shown first, so it cannot pop up over the question
    // later); "いいえ" is the default answer.
    bool askDeleteForGood(const QStringList &names);

private:
    QString m_working;
};
