#include "sheet/NumberFormats.h"

#include <array>

namespace NumberFormats {

QString builtin(int id) {
    // The built-in formats of the application's Japanese edition; 0 is General.
    static const std::array<const char16_t *, 59> table = {
        u"",
        u"0",
        u"0.00",
        u"#,##0",
        u"#,##0.00",
        u"\"¥\"#,##0;\"¥\"\\-#,##0",
        u"\"¥\"#,##0;[Red]\"¥\"\\-#,##0",
        u"\"¥\"#,##0.00;\"¥\"\\-#,##0.00",
        u"\"¥\"#,##0.00;[Red]\"¥\"\\-#,##0.00",
        u"0%",
        u"0.00%", // 10
        u"0.00E+00",
        u"# ?/?",
        u"# ?"
        "?/??", // split: "??/" would be a trigraph
        u"yyyy/m/d",
        u"d-mmm-yy",
        u"d-mmm",
        u"mmm-yy",
        u"h:mm AM/PM",
        u"h:mm:ss AM/PM",
        u"h:mm", // 20
        u"h:mm:ss",
        u"yyyy/m/d h:mm",
        nullptr,
        nullptr,
        nullptr,
        nullptr,
        u"[$-411]ge.m.d",
        u"[$-411]ggge\"年\"m\"月\"d\"日\"",
        u"[$-411]ggge\"年\"m\"月\"d\"日\"",
        u"m/d/yy", // 30
        u"yyyy\"年\"m\"月\"d\"日\"",
        u"h\"時\"mm\"分\"",
        u"h\"時\"mm\"分\"ss\"秒\"",
        u"yyyy\"年\"m\"月\"",
        u"m\"月\"d\"日\"",
        u"[$-411]ge.m.d",
        u"#,##0 ;(#,##0)",
        u"#,##0 ;[Red](#,##0)",
        u"#,##0.00;(#,##0.00)",
        u"#,##0.00;[Red](#,##0.00)", // 40
        nullptr,
        nullptr,
        nullptr,
        nullptr,
        u"mm:ss",
        u"[h]:mm:ss",
        u"mmss.0",
        u"##0.0E+0",
        u"@",
        u"[$-411]ge.m.d", // 50
        u"[$-411]ggge\"年\"m\"月\"d\"日\"",
        u"yyyy\"年\"m\"月\"",
        u"m\"月\"d\"日\"",
        u"[$-411]ggge\"年\"m\"月\"d\"日\"",
        u"yyyy\"年\"m\"月\"",
        u"m\"月\"d\"日\"",
        u"[$-411]ge.m.d",
        u"[$-411]ggge\"年\"m\"月\"d\"日\"",
    };
    if (id < 0 || id >= int(table.size()) || !table[size_t(id)])
        return QString();
    return QString::fromUtf16(table[size_t(id)]);
}

bool isDate(const QString &format) {
    int monthLetters = 0;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i].toLower();
        if (c != u'm')
            monthLetters = 0;
        switch (c.unicode()) {
        case u'"': // quoted text
            i = format.indexOf(u'"', i + 1);
            if (i < 0)
                return false;
            break;
        case u'[': // a colour, a locale, a condition, elapsed hours
            i = format.indexOf(u']', i + 1);
            if (i < 0)
                return false;
            break;
        case u'\\': // the next character is shown as it is
        case u'_':  // a space as wide as the next character
        case u'*':  // the next character repeated
            ++i;
            break;
        case u'g':
            if (format.mid(i, 7).compare(u"general", Qt::CaseInsensitive) == 0) {
                i += 6;
                break;
            }
            return true; // an era name
        case u'e':
            if (i + 1 < format.size() && (format[i + 1] == u'+' || format[i + 1] == u'-')) {
                ++i; // an exponent
                break;
            }
            return true; // an era year
        case u'y':
        case u'd':
            return true;
        case u'm':
            if (++monthLetters == 3)
                return true; // a month name; "m" and "mm" may be minutes
            break;
        default:
            break;
        }
    }
    return false;
}

} // namespace NumberFormats
