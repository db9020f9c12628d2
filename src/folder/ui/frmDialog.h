#pragma once

#include <QDialog>
#include <QStringList>

#include <array>

class QLabel;
class QPushButton;
class QTableWidget;

enum class FileOperationKind { Copy, Trash };

// The confirmation of a copy or a move to the trash: the folders concerned in fixed rows on
// top, the entries below them. The user may take entries out of the list with the Delete key
// before confirming. The dialog only confirms; the caller carries out the operation on
// names() once it was accepted. With no entry left, OK is unavailable, so the folder itself
// can never be what an operation is handed.
class frmDialog : public QDialog {
    Q_OBJECT
public:
    // sideFolder holds the listed entries (the copy's source); otherFolder is the copy's
    // destination and unused for the trash. fontFamily is the main window's grid font.
    frmDialog(FileOperationKind kind, const QString &sideFolder, const QString &otherFolder,
              const QStringList &names, const QString &fontFamily, QWidget *parent = nullptr);

    FileOperationKind kind() const { return m_kind; }
    // The entries still in the list, in list order.
    QStringList names() const;
    // The first list row (below the fixed rows of the folders).
    int firstListRow() const { return m_fixedRows; }

    QLabel *Label1 = nullptr;
    QTableWidget *fg = nullptr;
    std::array<QPushButton *, 2> cmdMenu{};

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void addEntry(const QString &folder, const QString &name);
    void fg_KeyDown();
    void updateOk();
    int twips(int value) const;

    FileOperationKind m_kind;
    int m_fixedRows;
};
