#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QTextEdit;
class Workspace;

// The one-line comparison window: the current row of the text grid (or, when the text grid is
// not in front, of the binary grid) as two lines, one under the other, with the characters in
// which they differ coloured with the legend colours "変更" and "追加".
class frmText : public QDialog {
    Q_OBJECT
public:
    // Reads everything it shows from the workspace now: the row, the path box texts, the
    // legend colours and the ignore-case option. The window is 0.9 times as wide as its owner.
    explicit frmText(const Workspace &ws, QWidget *owner = nullptr);

    // Document position of the first character of the right line (the left one starts at 0).
    int rightStart() const { return m_rightStart; }

    QLabel *lblLeft = nullptr;
    QLabel *lblRight = nullptr;
    QTextEdit *rtb = nullptr;
    QPushButton *cmdClose = nullptr;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void fillText(const QString &left, const QString &right, const Workspace &ws);

    int m_rightStart = 0;
};
