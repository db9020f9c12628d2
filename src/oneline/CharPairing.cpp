#include "oneline/CharPairing.h"

#include "encoding/Charset.h"

#include <QStringView>

#include <unicode/uchar.h>

#include <vector>

namespace {

constexpr int TabSize = 8;

// Ambiguous-width characters (Greek, Cyrillic, box drawing, many symbols) are wide in
// Japanese text exactly when the code page gives them a double-byte code. An unmappable
// character comes back as the substitution character, which must not count: hence the
// round trip.
bool isDoubleByteInAnsi(char32_t c) {
    const QString text = QString::fromUcs4(&c, 1);
    const QByteArray bytes = EncodeAnsi(text);
    return bytes.size() == 2 && decodeAnsi(bytes) == text;
}

// One character of a line: its code point (lower-cased on request), where it lies in the
// line's UTF-16 text, and its displayed width.
struct Glyph {
    char32_t code;
    int offset;
    int size;
    int width;
};

std::vector<Glyph> glyphsOf(const QString &line, bool ignoreCase) {
    std::vector<Glyph> glyphs;
    glyphs.reserve(size_t(line.size()));
    int column = 0;
    const qsizetype n = line.size();
    for (qsizetype k = 0; k < n;) {
        char32_t code = line.at(k).unicode();
        int size = 1;
        if (QChar::isHighSurrogate(code) && k + 1 < n && line.at(k + 1).isLowSurrogate()) {
            code = QChar::surrogateToUcs4(line.at(k), line.at(k + 1));
            size = 2;
        }
        if (ignoreCase)
            code = QChar::toLower(code);
        // Tabs are measured from the display column, not the character index, so a tab after
        // a wide character still ends on the same stop as it does on screen.
        const int width = CharWidth(code, column);
        glyphs.push_back({code, int(k), size, width});
        column += width;
        k += size;
    }
    return glyphs;
}

void mark(QList<MarkedRun> &runs, const Glyph &g, CharMark how) {
    if (!runs.isEmpty()) {
        MarkedRun &last = runs.last();
        if (last.mark == how && last.start + last.length == g.offset) {
            last.length += g.size;
            return;
        }
    }
    runs.append({g.offset, g.size, how});
}

} // namespace

int CharWidth(char32_t c, int column) {
    if (c == U'\t')
        return TabSize - column % TabSize;
    switch (u_getIntPropertyValue(UChar32(c), UCHAR_EAST_ASIAN_WIDTH)) {
    case U_EA_WIDE:
    case U_EA_FULLWIDTH:
        return 2;
    case U_EA_AMBIGUOUS:
        return isDoubleByteInAnsi(c) ? 2 : 1;
    default:
        return 1;
    }
}

int CharWidth(const QString &character, int column) {
    if (character.isEmpty())
        return 0;
    const QList<uint> codes = QStringView(character).toUcs4();
    return CharWidth(char32_t(codes.first()), column);
}

CharPairing pairCharacters(const QString &left, const QString &right, bool ignoreCase) {
    const std::vector<Glyph> l = glyphsOf(left, ignoreCase);
    const std::vector<Glyph> r = glyphsOf(right, ignoreCase);
    CharPairing result;
    size_t i = 0;
    size_t j = 0;
    int pending = 0; // width the right side has covered beyond the left side
    while (i < l.size() || j < r.size()) {
        if (i >= l.size()) {
            mark(result.right, r[j++], CharMark::Added);
        } else if (j >= r.size()) {
            mark(result.left, l[i++], CharMark::Added);
        } else if (pending == 0) {
            pending = r[j].width - l[i].width;
            if (pending != 0 || l[i].code != r[j].code) {
                mark(result.left, l[i], CharMark::Changed);
                mark(result.right, r[j], CharMark::Changed);
            }
            ++i;
            ++j;
        } else if (pending > 0) {
            // The right character was wider: left characters make up its width.
            mark(result.left, l[i], CharMark::Changed);
            pending -= l[i++].width;
        } else {
            mark(result.right, r[j], CharMark::Changed);
            pending += r[j++].width;
        }
    }
    return result;
}
