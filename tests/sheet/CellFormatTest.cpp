#include "sheet/CellFormat.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    double number;
    const char *format;
    const char *shown;
};

void PrintTo(const Case &c, std::ostream *os) {
    *os << c.number << " as \"" << c.format << "\"";
}

CellValue number(double n) {
    CellValue v;
    v.kind = CellValue::Kind::Number;
    v.number = n;
    return v;
}

} // namespace

TEST(CellFormat, NumbersShowAsTheirFormatSays) {
    const Case cases[] = {
        // General keeps every digit: two different numbers never look alike.
        {0.30000000000000004, "", "0.30000000000000004"},
        {45416, "General", "45416"},
        {1234567.891, "#,##0", "1,234,568"},
        {1234567.891, "#,##0.00", "1,234,567.89"},
        {-1234.5, "#,##0.00", "-1,234.50"},
        {0.5, "0", "1"},
        {0.125, "0.00", "0.13"},
        {0.5, "#.00", ".50"},
        {7, "000", "007"},
        {0.256, "0%", "26%"},
        {0.25678, "0.00%", "25.68%"},
        {12345, "0.00E+00", "1.23E+04"},
        {0.00012, "0.0E+00", "1.2E-04"},
        {-5, "#,##0;(#,##0)", "(5)"},
        {0, "0.0;-0.0;\"ゼロ\"", "ゼロ"},
        {1500, "#,##0\"円\"", "1,500円"},
        {1500, "\"¥\"#,##0;\"¥\"\\-#,##0", "¥1,500"},
        {-1500, "\"¥\"#,##0;[Red]\"¥\"\\-#,##0", "¥-1,500"},
        {1500, "[$¥-411]#,##0", "¥1,500"},
        {2500000, "#,##0,", "2,500"},
        {-0.0001, "0.00", "0.00"}, // nothing but zeros shows: no minus sign
        {42, "@", "42"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c));
        EXPECT_EQ(formattedText(number(c.number), QString::fromUtf8(c.format)),
                  QString::fromUtf8(c.shown));
    }
}

TEST(CellFormat, DatesAndTimesShowAsTheirFormatSays) {
    const Case cases[] = {
        {45416, "yyyy/m/d", "2024/5/4"},
        {45416, "yyyy/mm/dd", "2024/05/04"},
        {45416, "yyyy\"年\"m\"月\"d\"日\"", "2024年5月4日"},
        {45416, "m/d/yy", "5/4/24"},
        {45416, "d-mmm-yy", "4-May-24"},
        {45416, "dddd", "Saturday"},
        {45416, "aaa", "土"},
        {45416, "aaaa", "土曜日"},
        {45416, "[$-411]ggge\"年\"m\"月\"d\"日\"", "令和6年5月4日"},
        {32600, "[$-411]ge.m.d", "H1.4.2"},
        {1, "yyyy/m/d", "1900/1/1"},
        {60, "yyyy/m/d", "1900/2/29"}, // the day the application counts, though it never was
        {61, "yyyy/m/d", "1900/3/1"},
        {0.5, "h:mm", "12:00"},
        {0.54513888888888884, "h:mm:ss", "13:05:00"},
        {0.54513888888888884, "h:mm AM/PM", "1:05 PM"},
        {1.25, "[h]:mm:ss", "30:00:00"},
        {0.000011574, "mm:ss.0", "00:01.0"},
        {45416.75, "yyyy/m/d h:mm", "2024/5/4 18:00"},
        {0.99999999, "h:mm:ss", "0:00:00"}, // rounds into the next day
        {-1, "yyyy/m/d", "########"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c));
        EXPECT_EQ(formattedText(number(c.number), QString::fromUtf8(c.format)),
                  QString::fromUtf8(c.shown));
    }
}

TEST(CellFormat, OtherKindsIgnoreTheFormat) {
    CellValue truth;
    truth.kind = CellValue::Kind::Boolean;
    truth.number = 1;
    EXPECT_EQ(formattedText(truth, QStringLiteral("0.00")), QStringLiteral("TRUE"));
    CellValue error;
    error.kind = CellValue::Kind::Error;
    error.text = QStringLiteral("#N/A");
    EXPECT_EQ(formattedText(error, QStringLiteral("yyyy/m/d")), QStringLiteral("#N/A"));
    CellValue text;
    text.kind = CellValue::Kind::Text;
    text.text = QStringLiteral("1");
    EXPECT_EQ(formattedText(text, QStringLiteral("0.00")), QStringLiteral("1"));
    EXPECT_EQ(formattedText(CellValue(), QStringLiteral("0.00")), QString());
}
