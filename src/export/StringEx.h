#pragma once

#include <QString>
#include <QStringView>

#include <utility>

// The exporters' text builder: appends in amortised constant time per character and hands the
// finished document over without a copy.
class StringEx {
public:
    void AddRear(QStringView s) { m_text.append(s); }
    // Room for at least n more characters without reallocating.
    void reserve(qsizetype n) { m_text.reserve(m_text.size() + n); }
    // Hands the text over and leaves the builder empty.
    QString takeText() { return std::exchange(m_text, QString()); }

private:
    QString m_text;
};
