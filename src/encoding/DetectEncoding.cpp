#include "encoding/DetectEncoding.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace {

// The two index ranges every scorer visits: the head 0..a/2 and the tail that ends at the
// last byte. Both are clamped into the buffer so that a caller's odd `a` cannot read outside.
struct Window {
    const uchar *p = nullptr;
    qsizetype last = -1;
    qsizetype start[2] = {0, 0};
    qsizetype end[2] = {-1, -1};
};

Window makeWindow(const QByteArray &bytes, int a) {
    Window w;
    w.p = reinterpret_cast<const uchar *>(bytes.constData());
    w.last = bytes.size() - 1;
    if (w.last < 0 || a < 0)
        return w;
    const qsizetype half = a / 2;
    w.start[0] = 0;
    w.end[0] = qMin(half, w.last);
    w.start[1] = qBound<qsizetype>(0, half + (w.last - a), w.last);
    w.end[1] = w.last;
    return w;
}

// counter * 100 / (2a + 2), rounded half to even regardless of the FPU rounding mode.
qint32 percent(qint64 counter, int a) {
    const double v = double(counter) * 100.0 / (2.0 * double(a) + 2.0);
    const double f = std::floor(v);
    const double frac = v - f;
    double r = f;
    if (frac > 0.5 || (frac == 0.5 && std::fmod(f, 2.0) != 0.0))
        r = f + 1.0;
    return qint32(r);
}

qint16 finish(qint64 counter, int a) {
    if (a < 0)
        return 0;
    return qint16(qBound<qint32>(0, percent(counter, a), modJudge::Definitive - 1));
}

bool in(uchar c, uchar lo, uchar hi) {
    return c >= lo && c <= hi;
}

bool isSevenBit(uchar c) {
    return c < 0x80;
}

bool isControl(uchar c) {
    return c < 0x20 || c == 0x7F;
}

// Base64 value of every byte, -1 for bytes outside the alphabet (the indexOf convention).
constexpr std::array<qint8, 256> makeBase64Table() {
    std::array<qint8, 256> t{};
    for (auto &v : t)
        v = -1;
    const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (int i = 0; i < 64; ++i)
        t[uchar(alphabet[i])] = qint8(i);
    return t;
}
constexpr std::array<qint8, 256> Base64 = makeBase64Table();

} // namespace

namespace modJudge {

qint16 ScoreJis(const QByteArray &bytes, int a) {
    const Window w = makeWindow(bytes, a);
    qint64 counter = 0;
    for (int r = 0; r < 2; ++r) {
        for (qsizetype i = w.start[r]; i <= w.end[r]; ++i) {
            const uchar c = w.p[i];
            if (c == 0x1B) {
                // Only the byte after ESC is looked at; "$" or "(" settles it.
                if (i <= w.last - 2 && (w.p[i + 1] == '(' || w.p[i + 1] == '$'))
                    return Definitive;
            } else if (isSevenBit(c)) {
                ++counter;
            }
        }
    }
    return finish(counter, a);
}

qint16 ScoreUnicode(const QByteArray &bytes, int a) {
    const Window w = makeWindow(bytes, a);
    qint64 counter = 0;
    for (int r = 0; r < 2; ++r) {
        qsizetype i = w.start[r];
        while (i <= w.end[r]) {
            if (i == w.last) {
                ++i;
                continue;
            }
            const uchar c = w.p[i];
            const uchar h = w.p[i + 1];
            if (c == 0xFF && h == 0xFE)
                return Definitive;
            // High bytes of CJK, Hangul and private-use blocks rule UTF-16 out for this range;
            // a stop in the head still lets the tail count from zero.
            if (in(h, 0x34, 0x4D) || in(h, 0xA0, 0xD7) || in(h, 0xE0, 0xF7)) {
                counter = 0;
                break;
            }
            counter += 4;
            i += 2;
        }
    }
    if (a < 0)
        return 0;
    // Halved so that UTF-16 text lands near 50 like single-byte text under the others.
    return qint16(qMin<qint32>(percent(counter, a) / 2, Definitive - 1));
}

qint16 ScoreUtf8(const QByteArray &bytes, int a) {
    const Window w = makeWindow(bytes, a);
    qint64 counter = 0;
    for (int r = 0; r < 2; ++r) {
        qsizetype i = w.start[r];
        while (i <= w.end[r]) {
            const uchar c = w.p[i];
            if (c == 0xEF && i <= w.last - 2 && w.p[i + 1] == 0xBB && w.p[i + 2] == 0xBF)
                return Definitive;
            int n = 0; // continuation bytes the lead byte asks for
            if ((c & 0xFC) == 0xFC)
                n = 5;
            else if ((c & 0xF8) == 0xF8)
                n = 4;
            else if ((c & 0xF0) == 0xF0)
                n = 3;
            else if ((c & 0xE0) == 0xE0)
                n = 2;
            else if ((c & 0xC0) == 0xC0)
                n = 1;
            if (n == 0) {
                if (isSevenBit(c))
                    ++counter;
                ++i;
                continue;
            }
            bool valid = i <= w.last - n;
            for (int k = 1; valid && k <= n; ++k)
                valid = in(w.p[i + k], 0x80, 0xBF);
            if (valid) {
                counter += 2 * n + 2;
                i += n + 1;
            } else {
                ++i;
            }
        }
    }
    return finish(counter, a);
}

qint16 ScoreUtf7(const QByteArray &bytes, int a) {
    const Window w = makeWindow(bytes, a);
    qint64 counter = 0;
    // The run state deliberately carries over from the head range into the tail range.
    qint64 n = 0;
    bool inside = false;
    int bits = 0;
    int mask = 0;
    for (int r = 0; r < 2; ++r) {
        for (qsizetype i = w.start[r]; i <= w.end[r]; ++i) {
            const uchar c = w.p[i];
            if (c == '+' && !inside) {
                n = 1;
                inside = true;
            } else if (c == '-') {
                if (n == 0) {
                    ++counter;
                } else if (n == 1) {
                    counter += 4; // "+-" is a literal plus sign
                } else {
                    const int v = i > 0 ? Base64[w.p[i - 1]] : -1;
                    if (bits < 6 && n >= 4 && (v & mask) == 0)
                        counter += 2 * n + 2;
                }
                n = 0;
                inside = false;
            } else if (inside) {
                if (Base64[c] >= 0) {
                    bits = int((6 * n) % 8);
                    mask = (1 << bits) - 1;
                    ++n;
                } else {
                    // Closed implicitly: the run earns nothing.
                    n = 0;
                    inside = false;
                }
            } else if (isSevenBit(c)) {
                ++counter;
            }
        }
    }
    return finish(counter, a);
}

qint16 ScoreSjis(const QByteArray &bytes, int a) {
    const Window w = makeWindow(bytes, a);
    qint64 counter = 0;
    for (int r = 0; r < 2; ++r) {
        qsizetype i = w.start[r];
        while (i <= w.end[r]) {
            const uchar c = w.p[i];
            if (in(c, 0x81, 0x9F) || in(c, 0xE0, 0xEF)) {
                if (i < w.last && (in(w.p[i + 1], 0x40, 0x7E) || in(w.p[i + 1], 0x80, 0xFC))) {
                    counter += 4;
                    i += 2;
                    continue;
                }
            } else if (in(c, 0xA1, 0xDF) || in(c, 0x20, 0x7E)) {
                ++counter;
            } else if (isControl(c)) {
                // Zero bytes at odd indexes are the ASCII half of UTF-16 text.
                if (!(c == 0 && i % 2 == 1))
                    ++counter;
            }
            ++i;
        }
    }
    return finish(counter, a);
}

qint16 ScoreEuc(const QByteArray &bytes, int a) {
    const Window w = makeWindow(bytes, a);
    qint64 counter = 0;
    for (int r = 0; r < 2; ++r) {
        qsizetype i = w.start[r];
        while (i <= w.end[r]) {
            const uchar c = w.p[i];
            if (c == 0x8E) {
                if (i < w.last && in(w.p[i + 1], 0xA1, 0xDF)) {
                    counter += 4;
                    i += 2;
                    continue;
                }
            } else if (c == 0x8F) {
                if (i <= w.last - 2 && in(w.p[i + 1], 0xA1, 0xFE) && in(w.p[i + 2], 0xA1, 0xFE)) {
                    counter += 6;
                    i += 3;
                    continue;
                }
            } else if (in(c, 0xA1, 0xFE)) {
                if (i < w.last && in(w.p[i + 1], 0xA1, 0xFE)) {
                    counter += 4;
                    i += 2;
                    continue;
                }
            } else if (isSevenBit(c)) {
                ++counter;
            }
            ++i;
        }
    }
    return finish(counter, a);
}

} // namespace modJudge

namespace {

// True when the bytes from..to (inclusive) are strict UTF-8 (no overlong forms, no surrogates,
// nothing above U+10FFFF) holding at least one multi-byte character. The range may start or
// end inside a character: the window cuts the buffer anywhere.
bool isMultiByteUtf8(const uchar *p, qsizetype from, qsizetype to, bool *multiByte) {
    qsizetype i = from;
    while (i <= to && (p[i] & 0xC0) == 0x80)
        ++i; // the tail of a character that began before the range
    while (i <= to) {
        const uchar c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int length;
        uint code;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
            code = c & 0x1Fu;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            code = c & 0x0Fu;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            code = c & 0x07u;
        } else {
            return false;
        }
        if (i + length - 1 > to)
            return true; // cut by the end of the range
        for (int k = 1; k < length; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (p[i + k] & 0x3Fu);
        }
        if ((length == 3 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))) ||
            (length == 4 && (code < 0x10000 || code > 0x10FFFF)))
            return false;
        *multiByte = true;
        i += length;
    }
    return true;
}

// The scanned window (head and tail) is UTF-8 with multi-byte characters.
bool windowIsMultiByteUtf8(const QByteArray &bytes, int a) {
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData());
    const qsizetype last = bytes.size() - 1;
    bool multiByte = false;
    return isMultiByteUtf8(p, 0, a / 2, &multiByte) &&
           isMultiByteUtf8(p, a / 2 + (last - a), last, &multiByte) && multiByte;
}

// What the scanned window holds besides the scores: bytes above 0x7F, and where its zero bytes
// lie. UTF-16LE text of mostly-ASCII characters has its zero bytes at odd indexes, UTF-16BE at
// even ones; plain ASCII text has none. The scores tell these apart only by rounding.
struct WindowBytes {
    bool highBit = false;
    qsizetype zeroAtOdd = 0;
    qsizetype zeroAtEven = 0;
    qsizetype visited = 0;
};

WindowBytes windowBytes(const QByteArray &bytes, int a) {
    const Window w = makeWindow(bytes, a);
    WindowBytes seen;
    for (int r = 0; r < 2; ++r) {
        for (qsizetype i = w.start[r]; i <= w.end[r]; ++i) {
            const uchar c = w.p[i];
            ++seen.visited;
            if (c >= 0x80)
                seen.highBit = true;
            else if (c == 0 && i % 2 == 1)
                ++seen.zeroAtOdd;
            else if (c == 0)
                ++seen.zeroAtEven;
        }
    }
    return seen;
}

// Zero bytes mostly at one parity, and not just a stray few: UTF-16 whose text (CJK characters
// such as U+3000 or U+4E00) puts some zero bytes at the other parity too.
bool zerosMostlyAt(qsizetype major, qsizetype minor, qsizetype visited) {
    return major >= 2 && major >= 4 * minor && major * 32 >= visited;
}

bool startsWith(const QByteArray &bytes, const char *mark, qsizetype length) {
    return bytes.size() >= length && std::memcmp(bytes.constData(), mark, size_t(length)) == 0;
}

// Marks that none of the scorers knows, looked for at the start only. UTF-32LE's mark begins
// with UTF-16LE's, so it is looked for first.
QString markedEncoding(const QByteArray &bytes) {
    if (startsWith(bytes, "\xFF\xFE\x00\x00", 4) || startsWith(bytes, "\x00\x00\xFE\xFF", 4))
        return EncodingName::Utf32;
    if (startsWith(bytes, "\xFE\xFF", 2))
        return EncodingName::Utf16Be;
    return {};
}

using Scorer = qint16 (*)(const QByteArray &, int);
struct Candidate {
    const QString &name;
    Scorer score;
};
// Definitive answers are checked in this order...
const Candidate Checks[] = {
    {EncodingName::Jis, modJudge::ScoreJis},   {EncodingName::Unicode, modJudge::ScoreUnicode},
    {EncodingName::Utf8, modJudge::ScoreUtf8}, {EncodingName::Utf7, modJudge::ScoreUtf7},
    {EncodingName::Sjis, modJudge::ScoreSjis}, {EncodingName::Euc, modJudge::ScoreEuc},
};
// ...but ties go to the first of SJIS, UNICODE, JIS, UTF7, UTF8, EUC (indexes into Checks).
constexpr int TieOrder[] = {4, 1, 0, 3, 2, 5};

// The answer and the scores behind it.
struct Verdict {
    QString answer;
    qint16 scores[6] = {};
};

Verdict judge(const QByteArray &bytes) {
    Verdict v;
    // Nothing to weigh: fall back to the ANSI code page like any undecided buffer.
    if (bytes.isEmpty()) {
        v.answer = EncodingName::Sjis;
        return v;
    }
    v.answer = markedEncoding(bytes);
    if (!v.answer.isEmpty())
        return v;
    const int a = int(qMin<qsizetype>(bytes.size() - 1, 1999));
    for (int k = 0; k < 6; ++k) {
        v.scores[k] = Checks[k].score(bytes, a);
        if (v.scores[k] == modJudge::Definitive) {
            v.answer = Checks[k].name;
            return v;
        }
    }
    const WindowBytes seen = windowBytes(bytes, a);
    // Zero bytes at odd indexes only: UTF-16LE without a mark, even where its tail scan (which
    // may start at an odd index) pairs the bytes wrongly and rules UTF-16 out.
    if (seen.zeroAtOdd > 0 && seen.zeroAtEven == 0) {
        v.answer = EncodingName::Unicode;
        return v;
    }
    if (zerosMostlyAt(seen.zeroAtOdd, seen.zeroAtEven, seen.visited)) {
        v.answer = EncodingName::Unicode;
        return v;
    }
    if (zerosMostlyAt(seen.zeroAtEven, seen.zeroAtOdd, seen.visited)) {
        v.answer = EncodingName::Utf16Be;
        return v;
    }
    // Seven-bit bytes without a zero byte are never UTF-16 text; the other scorers decide.
    if (!seen.highBit && seen.zeroAtOdd == 0 && seen.zeroAtEven == 0)
        v.scores[1] = -1;
    qint16 best = v.scores[0];
    for (qint16 s : v.scores)
        best = qMax(best, s);
    for (int k : TieOrder) {
        if (v.scores[k] >= best) {
            // Mostly-ASCII UTF-8 with a little Japanese scores alike under both scorers and
            // would go to the code page as garbled text; a buffer that is valid UTF-8 through
            // and through, with multi-byte characters, is UTF-8.
            if (k == 4 && v.scores[2] + 1 >= best && windowIsMultiByteUtf8(bytes, a))
                v.answer = EncodingName::Utf8;
            else
                v.answer = Checks[k].name;
            return v;
        }
    }
    v.answer = EncodingName::Sjis;
    return v;
}

} // namespace

QString DetectEncoding(const QByteArray &bytes) {
    return judge(bytes).answer;
}

QStringList DetectEncodingCandidates(const QByteArray &bytes) {
    const Verdict v = judge(bytes);
    QStringList names{v.answer};
    // A mark is unambiguous, and zero bytes laid out as UTF-16 would read "cleanly" as NULs in
    // any of the others.
    if (!leadingByteOrderMark(bytes, v.answer).isEmpty() || v.answer == EncodingName::Unicode ||
        v.answer == EncodingName::Utf16Be || v.answer == EncodingName::Utf32)
        return names;
    // The rest by falling score, ties in the tie-break order; scores not computed count 0.
    int order[6];
    std::copy(std::begin(TieOrder), std::end(TieOrder), order);
    std::stable_sort(std::begin(order), std::end(order),
                     [&v](int x, int y) { return v.scores[x] > v.scores[y]; });
    for (int k : order) {
        if (Checks[k].name != EncodingName::Unicode && !names.contains(Checks[k].name))
            names << Checks[k].name;
    }
    return names;
}

QByteArray leadingByteOrderMark(const QByteArray &bytes, const QString &encoding) {
    const char *mark = nullptr;
    qsizetype length = 0;
    if (encoding == EncodingName::Utf8) {
        mark = "\xEF\xBB\xBF";
        length = 3;
    } else if (encoding == EncodingName::Unicode) {
        mark = "\xFF\xFE";
        length = 2;
    } else if (encoding == EncodingName::Utf16Be) {
        mark = "\xFE\xFF";
        length = 2;
    } else if (encoding == EncodingName::Utf32) {
        if (startsWith(bytes, "\xFF\xFE\x00\x00", 4))
            return bytes.left(4);
        mark = "\x00\x00\xFE\xFF";
        length = 4;
    }
    return mark && startsWith(bytes, mark, length) ? bytes.left(length) : QByteArray();
}
