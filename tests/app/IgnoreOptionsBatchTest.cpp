// What a text comparison may ignore, set in setting.ini and so used by batch runs: a pair that
// differs only in what is ignored is the same (exit 0); the report shows the original texts.
#include "BatchProgram.h"

namespace {

const QByteArray Japanese = "これは日本語の文章です。\n";

class IgnoreOptionsBatchTest : public BatchProgramTest {
protected:
    int compare(const QByteArray &settings, const QByteArray &left, const QByteArray &right) {
        write("setting.ini", "[Corvane]\n" + settings);
        const RunResult r =
            run({write("l.txt", left), write("r.txt", right), "/o", dir.filePath("out.csv")});
        report = QString::fromUtf8(read(dir.filePath("out.csv")));
        return r.status;
    }
    QString report;
};

} // namespace

TEST_F(IgnoreOptionsBatchTest, PairsThatDifferOnlyInWhatIsIgnoredAreTheSame) {
    struct Case {
        QByteArray setting, left, right;
    };
    const Case cases[] = {
        {"IgnoreSpace=1\n", "int  x = 1;\nreturn x;\n", "int x =\t1;   \nreturn x;\n"},
        {"IgnoreSpace=2\n", "a = b + c\nend line\n", "a=b+c\nend line\n"},
        {"IgnoreBlankLines=1\n", "first line\nsecond line\nthird line\n",
         "first line\n\nsecond line\n   \n\nthird line\n"},
        // Japanese lines long enough for the encoding to be found from the text.
        {"IgnoreWidth=1\n", "ＡＢＣ １２３ ｶﾞｷﾞ\n" + Japanese, "ABC 123 ガギ\n" + Japanese},
        {"IgnoreKana=1\n", "ひらがなの行\n" + Japanese, "ヒラガナノ行\n" + Japanese},
        {"IgnoreWidth=1\nIgnoreKana=1\nLetter=1\n", "ｶﾞｸｾｲ NAME\n" + Japanese,
         "がくせい name\n" + Japanese},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(compare("", c.left, c.right), 1) << c.setting.constData();
        EXPECT_EQ(compare(c.setting, c.left, c.right), 0) << c.setting.constData();
        EXPECT_FALSE(report.contains("CHG") || report.contains("ADD") || report.contains("DEL"))
            << report.toStdString();
    }
    // The grid and the report keep the original texts.
    compare("IgnoreWidth=1\n", "ＡＢＣ\n" + Japanese, "ABC\n" + Japanese);
    EXPECT_TRUE(report.contains("ＡＢＣ")) << report.toStdString();
    // What is not ignored still counts.
    EXPECT_EQ(compare("IgnoreSpace=1\nIgnoreBlankLines=1\n", "a b\nkeep\n", "ab\nkeep\n"), 1);
}
