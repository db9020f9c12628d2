#include "sheet/CellFormat.h"

#include "sheet/NumberFormats.h"

#include <QDate>
#include <QLocale>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace {

// The sections of a format ("pos;neg;zero;text"), split outside quotes and brackets.
QStringList sections(const QString &format) {
    QStringList parts;
    QString current;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == u'"') {
            const qsizetype end = format.indexOf(u'"', i + 1);
            const qsizetype stop = end < 0 ? format.size() : end + 1;
            current += QStringView(format).sliced(i, stop - i);
            i = stop - 1;
        } else if (c == u'\\' && i + 1 < format.size()) {
            current += c;
            current += format[++i];
        } else if (c == u'[') {
            const qsizetype end = format.indexOf(u']', i + 1);
            const qsizetype stop = end < 0 ? format.size() : end + 1;
            current += QStringView(format).sliced(i, stop - i);
            i = stop - 1;
        } else if (c == u';') {
            parts << current;
            current.clear();
        } else {
            current += c;
        }
    }
    parts << current;
    return parts;
}

// One piece of a section: a literal text, or a code the value fills in.
struct Piece {
    bool literal = true;
    QString text; // the literal, or the code in lower case ("yyyy", "0.00", "am/pm")
};

// Splits a section into literal texts and codes. Bracketed parts: a currency ([$¥-411]) is its
// symbol, elapsed time ([h], [mm]) a code; colours, locales and conditions are dropped.
QList<Piece> pieces(const QString &section) {
    QList<Piece> out;
    const auto literal = [&out](const QString &text) {
        if (!out.isEmpty() && out.back().literal)
            out.back().text += text;
        else
            out.append({true, text});
    };
    const qsizetype n = section.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = section[i];
        const QChar lower = c.toLower();
        if (c == u'"') {
            qsizetype end = section.indexOf(u'"', i + 1);
            if (end < 0)
                end = n;
            literal(section.mid(i + 1, end - i - 1));
            i = end;
        } else if (c == u'\\' && i + 1 < n) {
            literal(QString(section[++i]));
        } else if (c == u'_' && i + 1 < n) {
            literal(QStringLiteral(" "));
            ++i;
        } else if (c == u'*' && i + 1 < n) {
            ++i; // a fill character: the cell is as wide as its text here
        } else if (c == u'[') {
            qsizetype end = section.indexOf(u']', i + 1);
            if (end < 0)
                end = n;
            const QString inside = section.mid(i + 1, end - i - 1);
            if (inside.startsWith(u'$')) {
                literal(inside.mid(1).section(u'-', 0, 0));
            } else if (!inside.isEmpty() && QStringLiteral("hms").contains(inside[0].toLower()) &&
                       inside.count(inside[0]) == inside.size()) {
                out.append({false, u'[' + inside.toLower() + u']'});
            }
            i = end;
        } else if (section.mid(i, 5).compare(u"am/pm", Qt::CaseInsensitive) == 0) {
            out.append({false, QStringLiteral("am/pm")});
            i += 4;
        } else if (section.mid(i, 3).compare(u"a/p", Qt::CaseInsensitive) == 0) {
            out.append({false, QStringLiteral("a/p")});
            i += 2;
        } else if (QStringLiteral("ymdhsaeg").contains(lower)) {
            qsizetype end = i;
            while (end < n && section[end].toLower() == lower)
                ++end;
            QString code = section.mid(i, end - i).toLower();
            // Seconds with decimals: "ss.00".
            if (lower == u's' && end < n && section[end] == u'.') {
                qsizetype zeros = end + 1;
                while (zeros < n && section[zeros] == u'0')
                    ++zeros;
                code += section.mid(end, zeros - end);
                end = zeros;
            }
            out.append({false, code});
            i = end - 1;
        } else if (QStringLiteral("0#?.,%").contains(c) ||
                   ((c == u'E' || c == u'e') && i + 1 < n &&
                    (section[i + 1] == u'+' || section[i + 1] == u'-'))) {
            // Number codes run together, with the exponent and its sign.
            qsizetype end = i;
            while (end < n) {
                const QChar d = section[end];
                if (QStringLiteral("0#?.,%").contains(d)) {
                    ++end;
                } else if ((d == u'E' || d == u'e') && end + 1 < n &&
                           (section[end + 1] == u'+' || section[end + 1] == u'-')) {
                    end += 2;
                } else {
                    break;
                }
            }
            out.append({false, section.mid(i, end - i)});
            i = end - 1;
        } else if (c == u'@') {
            out.append({false, QStringLiteral("@")});
        } else {
            literal(QString(c));
        }
    }
    return out;
}

struct Era {
    QDate start;
    const char16_t *letter;
    const char16_t *first;
    const char16_t *name;
};
const Era Eras[] = {
    {QDate(2019, 5, 1), u"R", u"令", u"令和"},   {QDate(1989, 1, 8), u"H", u"平", u"平成"},
    {QDate(1926, 12, 25), u"S", u"昭", u"昭和"}, {QDate(1912, 7, 30), u"T", u"大", u"大正"},
    {QDate(1868, 9, 8), u"M", u"明", u"明治"},
};

const Era *eraOf(const QDate &date) {
    for (const Era &era : Eras) {
        if (date >= era.start)
            return &era;
    }
    return nullptr;
}

QString twoDigits(qint64 n) {
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

// A date and time section. Minutes and months share "m": it is minutes after an hour code or
// before a seconds code.
QString dateText(double serial, const QList<Piece> &codes) {
    int secondDecimals = 0;
    bool twelveHours = false;
    for (const Piece &p : codes) {
        if (!p.literal && p.text.startsWith(u's') && p.text.contains(u'.'))
            secondDecimals = int(p.text.size() - p.text.indexOf(u'.') - 1);
        if (!p.literal && (p.text == u"am/pm" || p.text == u"a/p"))
            twelveHours = true;
    }
    const double scale = std::pow(10.0, secondDecimals);
    const double ticks = std::round(serial * 86400.0 * scale); // in shown fractions of a second
    const qint64 wholeSeconds = qint64(std::floor(ticks / scale));
    const qint64 fraction = qint64(ticks - double(wholeSeconds) * scale);
    const qint64 days = wholeSeconds >= 0 ? wholeSeconds / 86400 : (wholeSeconds - 86399) / 86400;
    const qint64 secondsOfDay = wholeSeconds - days * 86400;
    // Serial 60 is the 29 February 1900 the application counts; later serials are a day ahead.
    QDate date;
    int year = 0, month = 0, day = 0;
    if (days == 60) {
        year = 1900, month = 2, day = 29;
    } else {
        date = QDate(1899, 12, days < 60 ? 31 : 30).addDays(days);
        year = date.year(), month = date.month(), day = date.day();
    }
    const int hour = int(secondsOfDay / 3600);
    const int minute = int(secondsOfDay / 60 % 60);
    const int second = int(secondsOfDay % 60);

    QString out;
    for (qsizetype k = 0; k < codes.size(); ++k) {
        const Piece &p = codes[k];
        if (p.literal) {
            out += p.text;
            continue;
        }
        const QString &c = p.text;
        const QChar kind = c[0];
        if (QStringLiteral("0#?.,%@").contains(kind)) {
            out += c; // number signs in a date are its punctuation
        } else if (kind == u'[') {
            const qint64 total = c[1] == u'h'   ? wholeSeconds / 3600
                                 : c[1] == u'm' ? wholeSeconds / 60
                                                : wholeSeconds;
            out += c.size() > 3 ? twoDigits(total) : QString::number(total);
        } else if (kind == u'y') {
            out += c.size() <= 2 ? twoDigits(year % 100) : QString::number(year);
        } else if (kind == u'm' && c.size() <= 2) {
            bool minutes = false;
            for (qsizetype j = k - 1; j >= 0 && !minutes; --j) {
                if (!codes[j].literal) {
                    minutes = codes[j].text.startsWith(u'h') || codes[j].text.startsWith(u"[h");
                    break;
                }
            }
            for (qsizetype j = k + 1; j < codes.size() && !minutes; ++j) {
                if (!codes[j].literal) {
                    minutes = codes[j].text.startsWith(u's');
                    break;
                }
            }
            const int n = minutes ? minute : month;
            out += c.size() == 2 ? twoDigits(n) : QString::number(n);
        } else if (kind == u'm') {
            const QString name = QLocale::c().monthName(month, c.size() == 3 ? QLocale::ShortFormat
                                                                             : QLocale::LongFormat);
            out += c.size() == 5 ? name.left(1) : name;
        } else if (kind == u'd') {
            if (c.size() <= 2) {
                out += c.size() == 2 ? twoDigits(day) : QString::number(day);
            } else {
                const int weekday = date.isValid() ? date.dayOfWeek() : 4; // 1900/2/29: a Wednesday
                out += QLocale::c().dayName(weekday, c.size() == 3 ? QLocale::ShortFormat
                                                                   : QLocale::LongFormat);
            }
        } else if (c == u"am/pm") {
            out += hour < 12 ? QStringLiteral("AM") : QStringLiteral("PM");
        } else if (c == u"a/p") {
            out += hour < 12 ? QStringLiteral("A") : QStringLiteral("P");
        } else if (kind == u'a') {
            const int weekday = (date.isValid() ? date.dayOfWeek() : 3) % 7; // 0: Sunday
            static const char16_t *names = u"日月火水木金土";
            out += QChar(names[weekday]);
            if (c.size() >= 4)
                out += QStringLiteral("曜日");
        } else if (kind == u'h') {
            const int shown = twelveHours ? (hour % 12 == 0 ? 12 : hour % 12) : hour;
            out += c.size() >= 2 ? twoDigits(shown) : QString::number(shown);
        } else if (kind == u's') {
            out += c.startsWith(u"ss") ? twoDigits(second) : QString::number(second);
            if (secondDecimals > 0)
                out +=
                    u'.' + QStringLiteral("%1").arg(fraction, secondDecimals, 10, QLatin1Char('0'));
        } else if (kind == u'g' || kind == u'e') {
            const Era *era = date.isValid() ? eraOf(date) : nullptr;
            if (!era) {
                out += kind == u'e' ? QString::number(year) : QString();
            } else if (kind == u'e') {
                const int eraYear = year - era->start.year() + 1;
                out += c.size() >= 2 ? twoDigits(eraYear) : QString::number(eraYear);
            } else {
                out += QString::fromUtf16(c.size() == 1   ? era->letter
                                          : c.size() == 2 ? era->first
                                                          : era->name);
            }
        }
    }
    return out;
}

// A number section: digits by the codes, literal texts around them.
QString numberText(double value, const QList<Piece> &codes) {
    QString code;
    for (const Piece &p : codes) {
        if (!p.literal && p.text != u"@")
            code += p.text;
    }
    if (code.isEmpty()) {
        // No digit codes: the literal texts alone, or the number as General for "@".
        QString out;
        for (const Piece &p : codes)
            out += p.literal
                       ? p.text
                       : formattedText(CellValue{CellValue::Kind::Number, 0, std::fabs(value), {}},
                                       QString());
        return out;
    }
    const int percents = int(code.count(u'%'));
    value *= std::pow(100.0, percents);
    const qsizetype exponentAt = code.indexOf(u'E', 0, Qt::CaseInsensitive);
    const QString mantissa = exponentAt < 0 ? code : code.left(exponentAt);
    const qsizetype point = mantissa.indexOf(u'.');
    const QString intCodes = point < 0 ? mantissa : mantissa.left(point);
    const QString fracCodes = point < 0 ? QString() : mantissa.mid(point + 1);
    int decimals = 0, minDecimals = 0, minInt = 0;
    for (const QChar c : fracCodes) {
        decimals += c == u'0' || c == u'#' || c == u'?';
        minDecimals += c == u'0';
    }
    for (const QChar c : intCodes)
        minInt += c == u'0';
    // Commas after the last digit code divide by a thousand each.
    qsizetype lastDigit = intCodes.size() - 1;
    while (lastDigit >= 0 && !QStringLiteral("0#?").contains(intCodes[lastDigit]))
        --lastDigit;
    int scaling = 0;
    for (qsizetype i = lastDigit + 1; i < intCodes.size() && point < 0; ++i)
        scaling += intCodes[i] == u',';
    value /= std::pow(1000.0, scaling);
    const bool grouping = intCodes.left(std::max<qsizetype>(lastDigit, 0)).contains(u',');

    QString digits;
    QString exponent;
    if (exponentAt >= 0) {
        const QString written = QString::number(std::fabs(value), 'E', decimals);
        const qsizetype e = written.indexOf(u'E');
        digits = written.left(e);
        const int power = written.mid(e + 1).toInt();
        const int exponentDigits = std::max(1, int(code.size() - exponentAt - 2));
        exponent = QStringLiteral("E%1%2")
                       .arg(power < 0                      ? QStringLiteral("-")
                            : code[exponentAt + 1] == u'+' ? QStringLiteral("+")
                                                           : QString())
                       .arg(std::abs(power), exponentDigits, 10, QLatin1Char('0'));
    } else {
        digits = QString::number(std::fabs(value), 'f', decimals);
    }
    QString whole = digits.section(u'.', 0, 0);
    QString fraction = digits.section(u'.', 1);
    while (fraction.size() > minDecimals && fraction.endsWith(u'0'))
        fraction.chop(1);
    if (whole == u"0" && minInt == 0)
        whole.clear();
    while (whole.size() < minInt)
        whole.prepend(u'0');
    if (grouping) {
        for (qsizetype i = whole.size() - 3; i > 0; i -= 3)
            whole.insert(i, u',');
    }
    QString number = whole;
    if (point >= 0)
        number += u'.' + fraction;
    number += exponent;

    QString out;
    bool placed = false;
    for (const Piece &p : codes) {
        if (p.literal) {
            out += p.text;
        } else if (p.text == u"@") {
            continue;
        } else if (!placed) {
            out += number;
            placed = true;
        }
        if (!p.literal && p.text.contains(u'%') && placed && !out.endsWith(u'%'))
            out += QString(p.text.count(u'%'), u'%');
    }
    return out;
}

bool hasCode(const QList<Piece> &codes, const QString &kinds) {
    for (const Piece &p : codes) {
        if (!p.literal && (kinds.contains(p.text[0]) || p.text == u"am/pm"))
            return true;
    }
    return false;
}

} // namespace

QString formattedText(const CellValue &value, const QString &format) {
    if (value.kind != CellValue::Kind::Number || format.isEmpty() ||
        format.compare(u"General", Qt::CaseInsensitive) == 0)
        return value.displayText();
    const QStringList parts = sections(format);
    double number = value.number;
    qsizetype index = 0;
    if (number < 0 && parts.size() >= 2) {
        index = 1;
        number = -number; // the section writes its own sign
    } else if (number == 0 && parts.size() >= 3) {
        index = 2;
    }
    const QString &section = parts[index];
    if (section.compare(u"General", Qt::CaseInsensitive) == 0)
        return formattedText(CellValue{CellValue::Kind::Number, 0, number, {}}, QString());
    const QList<Piece> codes = pieces(section);
    if (NumberFormats::isDate(section) || hasCode(codes, QStringLiteral("hs[a"))) {
        // Dates before the epoch or past year 9999 cannot be shown; the application fills the
        // cell with #.
        if (number < 0 || number >= 2958466)
            return QStringLiteral("########");
        return dateText(number, codes);
    }
    if (section.contains(u'/') && section.contains(u'?'))
        return value.displayText(); // a fraction
    QString text = numberText(number, codes);
    // One section for every number: the minus sign comes first, unless nothing but zeros show.
    if (index == 0 && number < 0 &&
        std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c >= u'1' && c <= u'9'; }))
        text.prepend(u'-');
    return text;
}

QString shownAndHeldText(const Sheet &sheet, const CellValue &value) {
    const QString shown = formattedText(sheet, value);
    const QString held = value.displayText();
    return held == shown ? held : shown + QStringLiteral(" [") + held + u']';
}
