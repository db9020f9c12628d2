#pragma once

#include <QString>
#include <QStringView>

// A text builder with free room at both ends of one buffer, so that appending and prepending
// are both amortised constant time per character. The exporters build whole documents with
// it.
class StringEx {
public:
    StringEx() = default;

    void AddRear(QStringView s);
    void AddForward(QStringView s);
    // Prepends front and appends rear; empty arguments are skipped.
    void AddString(QStringView front, QStringView rear);

    // The whole text (a copy).
    QString Text() const;
    // Starts afresh with the given text.
    void setText(const QString &text);
    qsizetype GetStrlen() const { return m_len; }

    // Room for at least n more characters at the rear without reallocating.
    void reserve(qsizetype n);
    // Hands the text over and leaves the builder empty; avoids the copy of Text().
    QString takeText();

private:
    void growRear(qsizetype need);
    void growFront(qsizetype need);
    void relocate(qsizetype frontRoom, qsizetype rearRoom);

    // m_buf holds [free front room][text][free rear room]; its size is the whole allocation.
    QString m_buf;
    qsizetype m_front = 0;
    qsizetype m_len = 0;
};
