#include "export/HtmlExport.h"

#include "ExportFixtures.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace ExportFixtures;

namespace {

TEST(ColorToHtml, GivesRedGreenBlueOfTheLow24Bits) {
    EXPECT_EQ(ColorToHtml(255), QStringLiteral("#FF0000"));
    EXPECT_EQ(ColorToHtml(0xC0FFFF), QStringLiteral("#FFFFC0"));
    EXPECT_EQ(ColorToHtml(0), QStringLiteral("#000000"));
    EXPECT_EQ(ColorToHtml(65535), QStringLiteral("#FFFF00"));
    EXPECT_EQ(ColorToHtml(16744448), QStringLiteral("#0080FF"));
    // A system colour code keeps only its low six hex digits (000005 -> red 05).
    EXPECT_EQ(ColorToHtml(ResultGrid::DefaultColor), QStringLiteral("#050000"));
}

class HtmlExport : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    QString path() const { return m_dir.filePath(QStringLiteral("out.html")); }

    Workspace ws;
    QTemporaryDir m_dir;
};

const QString Head = QStringLiteral(
    "<html>\r\n"
    "<head>\r\n"
    "<meta http-equiv=\"content-type\" content=\"text/html; charset=UTF-8\">\r\n"
    "<meta name=\"description\" content=\"Corvaneによる比較結果\">\r\n"
    "<meta name=\"generator\" content=\"Corvane\">\r\n"
    "<style type=\"Text/css\">\r\n"
    "table { border:solid 1px #000000; border-collapse:collapse; border-spacing:0; }\r\n"
    "th {font-size:85%; border:solid 1px #000000; padding:3; background:#F0F0F0; }\r\n"
    "td {font-size:85%; border:solid 1px #000000; padding:3; white-space:pre-wrap; }\r\n"
    "</style>\r\n"
    "<title>比較結果</title>\r\n"
    "</head>\r\n"
    "<body>\r\n"
    "<center>\r\n"
    "<table>\r\n");

TEST_F(HtmlExport, SmallTextResultExactBytes) {
    ws.cb = {QStringLiteral("C:\\a&b\\<left>.txt"), QStringLiteral("C:\\right.txt")};
    ws.fg.setRows(3);
    setRow(ws.fg, 0,
           {QStringLiteral("行"), QStringLiteral("a"), QStringLiteral("行"), QStringLiteral("b")});
    ws.fg.setNumber(1, 0, 1);
    ws.fg.setText(1, 1, QStringLiteral("x < y && z"));
    ws.fg.setNumber(1, 2, 1);
    ws.fg.setText(1, 3, QStringLiteral("x > y"));
    paintRow(ws.fg, 1, 0, 4, changed(ws));
    ws.fg.setNumber(2, 0, 2);
    ws.fg.setText(2, 1, QStringLiteral("same"));
    ws.fg.setNumber(2, 2, 2);
    ws.fg.setText(2, 3, QStringLiteral("same"));
    ASSERT_TRUE(ExportHtml(ws, ws.fg, path()));

    const QString expected =
        Head + QStringLiteral("<tr>\r\n"
                              "<th  colspan=2>C:\\a&amp;b\\&lt;left&gt;.txt</th>\r\n"
                              "<th  colspan=2>C:\\right.txt</th>\r\n"
                              "</tr>\r\n"
                              "<tr>\r\n"
                              "<th>行</th>\r\n"
                              "<th>a</th>\r\n"
                              "<th>行</th>\r\n"
                              "<th>b</th>\r\n"
                              "</tr>\r\n"
                              "<tr>\r\n"
                              "<td bgcolor=#FFFF00>1</td>\r\n"
                              "<td bgcolor=#FFFF00>x &lt; y &amp;&amp; z</td>\r\n"
                              "<td bgcolor=#FFFF00>1</td>\r\n"
                              "<td bgcolor=#FFFF00>x &gt; y</td>\r\n"
                              "</tr>\r\n"
                              "<tr>\r\n"
                              "<td>2</td>\r\n"
                              "<td>same</td>\r\n"
                              "<td>2</td>\r\n"
                              "<td>same</td>\r\n"
                              "</tr>\r\n"
                              "</table>\r\n"
                              "</center>\r\n"
                              "</body>\r\n"
                              "</html>");
    EXPECT_EQ(readFile(path()), Bom + expected.toUtf8());
}

TEST_F(HtmlExport, ChangedCharactersOfAChangedPairAreInMarkedSpans) {
    ws.inlineDiff = true;
    fillTextResult(ws);
    ws.fg.setText(1, 1, QStringLiteral("x < y && z"));
    ws.fg.setText(1, 3, QStringLiteral("x > y"));
    ASSERT_TRUE(ExportHtml(ws, ws.fg, path()));
    const QString page = QString::fromUtf8(readFile(path()));
    // The class is defined once in the style, in a stronger shade of the changed colour.
    EXPECT_TRUE(page.contains(
        QStringLiteral("td {font-size:85%; border:solid 1px #000000; "
                       "padding:3; white-space:pre-wrap; }\r\nspan.chg { background:#CCCC00; }"
                       "\r\n</style>\r\n")));
    EXPECT_TRUE(page.contains(QStringLiteral(
        "<td bgcolor=#FFFF00>x <span class=\"chg\">&lt;</span> y<span class=\"chg\"> "
        "&amp;&amp; z</span></td>\r\n")));
    EXPECT_TRUE(page.contains(
        QStringLiteral("<td bgcolor=#FFFF00>x <span class=\"chg\">&gt;</span> y</td>\r\n")));
    // One-sided and equal rows, and the line numbers, have no marks.
    EXPECT_EQ(page.count(QStringLiteral("<span")), 3);
    EXPECT_TRUE(page.contains(QStringLiteral("<td bgcolor=#FFFF00>1</td>")));
    EXPECT_TRUE(page.contains(QStringLiteral("<td bgcolor=#0080FF>left only</td>")));
}

TEST_F(HtmlExport, OnlyTheTextGridIsMarked) {
    // Other grids come out exactly as without the option: no style line either.
    ResultGrid &g = ws.fgB;
    g.setRows(3);
    setRow(g, 2, {"0000", "41 42", "0000", "41 43"});
    paintRow(g, 2, 0, 4, changed(ws));
    ASSERT_TRUE(ExportHtml(ws, g, path()));
    const QByteArray plain = readFile(path());
    ws.inlineDiff = true;
    ASSERT_TRUE(ExportHtml(ws, g, path()));
    EXPECT_EQ(readFile(path()), plain);
}

TEST_F(HtmlExport, FolderGridExportsEightColumnsUnderColspanFour) {
    ResultGrid &g = ws.fgF;
    g.setRows(2);
    for (int c = 0; c < 10; ++c) {
        g.setText(0, c, QStringLiteral("h%1").arg(c));
        g.setText(1, c, QStringLiteral("v%1").arg(c));
    }
    g.setBackColor(1, 1, changed(ws));
    ASSERT_TRUE(ExportHtml(ws, g, path()));
    const QString page = QString::fromUtf8(readFile(path()));
    EXPECT_EQ(page.count(QStringLiteral("<th  colspan=4>")), 2);
    EXPECT_TRUE(page.contains(QStringLiteral("<th>h7</th>\r\n</tr>")));
    EXPECT_FALSE(page.contains(QStringLiteral("h8")));
    EXPECT_FALSE(page.contains(QStringLiteral("v8")));
    // Only the coloured cell is coloured.
    EXPECT_TRUE(page.contains(QStringLiteral("<td>v0</td>\r\n<td bgcolor=#FFFF00>v1</td>\r\n"
                                             "<td>v2</td>")));
}

TEST_F(HtmlExport, BinaryGridHasTwoHeaderRows) {
    ResultGrid &g = ws.fgB;
    g.setRows(3);
    setRow(g, 1,
           {QStringLiteral("Address"), QStringLiteral("+0"), QStringLiteral("Address"),
            QStringLiteral("+0")});
    ASSERT_TRUE(ExportHtml(ws, g, path()));
    const QString page = QString::fromUtf8(readFile(path()));
    EXPECT_EQ(page.count(QStringLiteral("<th>")), 8);
    EXPECT_EQ(page.count(QStringLiteral("<td>")), 4);
}

TEST_F(HtmlExport, UnwritablePathFailsAndLeavesNoFile) {
    fillTextResult(ws);
    const QString missing = m_dir.filePath(QStringLiteral("no/such/out.html"));
    EXPECT_FALSE(ExportHtml(ws, ws.fg, missing));
    EXPECT_FALSE(QFile::exists(missing));
}

// Text is scanned several characters at a step for what needs care: markup, a surrogate pair
// (kept) or a lone surrogate (shown as U+FFFD), at any place of a cell of any length.
TEST_F(HtmlExport, CellsOfEveryLengthEscapeMarkupAndLoneSurrogatesAtEveryPlace) {
    const QString specials[] = {
        QStringLiteral("&"),  QStringLiteral("<"),      QStringLiteral(">"),
        QStringLiteral("😀"),  QString(QChar(0xD800)),   QString(QChar(0xDC00)),
        QStringLiteral("日"), QStringLiteral("\uD7FF"), QStringLiteral("\uE000")};
    auto escaped = [](const QString &text) {
        QString out;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text[i];
            if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
                out += text.mid(i++, 2);
            else if (c.isSurrogate())
                out += QChar(0xFFFD);
            else
                out += c == u'&'   ? QStringLiteral("&amp;")
                       : c == u'<' ? QStringLiteral("&lt;")
                       : c == u'>' ? QStringLiteral("&gt;")
                                   : QString(c);
        }
        return out;
    };
    QStringList cells;
    for (int length = 1; length <= 20; ++length) {
        for (int at = 0; at < length; ++at) {
            for (const QString &special : specials) {
                QString cell(length, QLatin1Char('x'));
                cell.replace(at, 1, special);
                cells << cell;
            }
        }
    }
    ws.fg.setRows(int(cells.size()) + 1);
    for (int r = 1; r <= cells.size(); ++r)
        ws.fg.setText(r, 1, cells[r - 1]);
    ASSERT_TRUE(ExportHtml(ws, ws.fg, path()));
    const QString page = QString::fromUtf8(readFile(path()).mid(Bom.size()));
    qsizetype at = 0;
    for (const QString &cell : cells) {
        at = page.indexOf(QStringLiteral("<td>") + escaped(cell) + QStringLiteral("</td>"), at);
        ASSERT_GE(at, 0) << cell.toStdString();
    }
}

TEST_F(HtmlExport, LargeResultIsOnePageWithItsRowsInOrder) {
    // More rows than one piece: the pieces, made two at a time, join into one page.
    ws.inlineDiff = true;
    const int rows = 45001;
    ResultGrid &g = ws.fg;
    g.setRows(rows);
    for (int r = 1; r < rows; ++r) {
        g.setNumber(r, 0, r);
        g.setText(r, 1, QStringLiteral("ab"));
        g.setNumber(r, 2, r);
        g.setText(r, 3, QStringLiteral("aX"));
        paintRow(g, r, 0, 4, changed(ws));
    }
    ASSERT_TRUE(ExportHtml(ws, g, path()));
    const QByteArray bytes = readFile(path());
    ASSERT_TRUE(bytes.startsWith(Bom + "<html>\r\n"));
    const QString page = QString::fromUtf8(bytes.mid(Bom.size()));
    EXPECT_EQ(page.count(QStringLiteral("</html>")), 1);
    EXPECT_TRUE(page.endsWith(QStringLiteral("</table>\r\n</center>\r\n</body>\r\n</html>")));
    EXPECT_EQ(page.count(QStringLiteral("<span class=\"chg\">")), 2 * (rows - 1));
    qsizetype at = 0;
    for (int r = 1; r < rows; ++r) {
        at = page.indexOf(QStringLiteral("<td bgcolor=#FFFF00>%1</td>").arg(r), at);
        ASSERT_GE(at, 0) << "row " << r;
    }
}

} // namespace

// Cells keep their white space as typed (the page's style keeps it from collapsing), and a
// pair that differs only in white space marks the spaces that changed.
TEST_F(HtmlExport, WhiteSpaceIsKeptAndAChangeInItAloneIsMarked) {
    ws.inlineDiff = true;
    fillTextResult(ws);
    ws.fg.setText(1, 1, QStringLiteral("    if (a  &&  b)"));
    ws.fg.setText(1, 3, QStringLiteral("  if (a && b)"));
    ASSERT_TRUE(ExportHtml(ws, ws.fg, path()));
    const QString page = QString::fromUtf8(readFile(path()));
    EXPECT_TRUE(page.contains(QStringLiteral("white-space:pre-wrap;")));
    const QString left = page.section(QStringLiteral("<td bgcolor=#FFFF00>"), 2, 2);
    const QString right = page.section(QStringLiteral("<td bgcolor=#FFFF00>"), 4, 4);
    // Every space is still in the page, and each side's marks together cover exactly the
    // spaces that are not on the other side.
    const auto unmarked = [](QString cell) {
        cell = cell.section(QStringLiteral("</td>"), 0, 0);
        return cell.remove(QStringLiteral("<span class=\"chg\">"))
            .remove(QStringLiteral("</span>"));
    };
    EXPECT_EQ(unmarked(left), QStringLiteral("    if (a  &amp;&amp;  b)"));
    EXPECT_EQ(unmarked(right), QStringLiteral("  if (a &amp;&amp; b)"));
    const auto marked = [](const QString &cell) {
        QString all;
        for (int k = 1; k < cell.count(QStringLiteral("<span")) + 1; ++k)
            all += cell.section(QStringLiteral("<span class=\"chg\">"), k, k)
                       .section(QStringLiteral("</span>"), 0, 0);
        return all;
    };
    EXPECT_EQ(marked(left), QStringLiteral("    "));
    EXPECT_EQ(marked(right), QString());
}
