#include "encoding/RichTextDocument.h"

#include "encoding/Charset.h"
#include "encoding/IcuConvert.h"
#include "encoding/OfficeDocument.h"
#include "platform/ZipPackage.h"

#include <QHash>
#include <QList>
#include <QStringList>

#include <algorithm>
#include <array>
#include <cctype>

namespace {

// The text is held whole in memory; a document that expands beyond this is refused.
constexpr qsizetype MaxTextChars = qsizetype(256) * 1024 * 1024;
// Applications nest a few dozen groups; thousands only come from a hostile file.
constexpr int MaxDepth = 1000;
// Longest control word and parameter the format allows.
constexpr int MaxWordLength = 32;

// Groups whose content is no document text, by their first control word.
bool isSkippedDestination(QByteArrayView word) {
    static const std::array<QByteArrayView, 30> skipped = {
        "fonttbl", "colortbl", "stylesheet", "info",     "pict",      "header",
        "headerl", "headerr",  "headerf",    "footer",   "footerl",   "footerr",
        "footerf", "footnote", "annotation", "fldinst",  "listtable", "listoverridetable",
        "revtbl",  "rsidtbl",  "filetbl",    "xmlnstbl", "listtext",  "pntext",
        "pntxta",  "pntxtb",   "nonshppict", "sp",       "object",    "themedata"};
    return std::find(skipped.begin(), skipped.end(), word) != skipped.end();
}

// Characters of symbol control words.
QChar symbolOf(QByteArrayView word) {
    static const QHash<QByteArray, char16_t> symbols = {
        {"emdash", 0x2014},  {"endash", 0x2013},    {"bullet", 0x2022},    {"lquote", 0x2018},
        {"rquote", 0x2019},  {"ldblquote", 0x201C}, {"rdblquote", 0x201D}, {"emspace", 0x2003},
        {"enspace", 0x2002}, {"qmspace", 0x2005},   {"zwj", 0x200D},       {"zwnj", 0x200C},
        {"ltrmark", 0x200E}, {"rtlmark", 0x200F},   {"tab", u'\t'},        {"line", u'\n'},
        {"lbr", u'\n'}};
    return QChar(symbols.value(word.toByteArray(), 0));
}

// The converter name of a Windows code page.
QByteArray converterOf(int codePage) {
    switch (codePage) {
    case 932:
        return IcuConvert::AnsiCodePage;
    case 65001:
        return "UTF-8";
    case 10000:
        return "macintosh";
    default:
        return "windows-" + QByteArray::number(codePage);
    }
}

// The code page of a font charset (\fcharsetN); 0 when it names none of its own (the default
// and symbol charsets), so that the document's code page holds.
int codePageOfCharset(int charset) {
    switch (charset) {
    case 0:
        return 1252; // ANSI: Western, whatever the document's code page
    case 128:
        return 932; // Shift_JIS
    case 129:
        return 949; // Hangul
    case 134:
        return 936; // GB2312
    case 136:
        return 950; // Big5
    case 161:
        return 1253; // Greek
    case 162:
        return 1254; // Turkish
    case 163:
        return 1258; // Vietnamese
    case 177:
        return 1255; // Hebrew
    case 178:
        return 1256; // Arabic
    case 186:
        return 1257; // Baltic
    case 204:
        return 1251; // Cyrillic
    case 222:
        return 874; // Thai
    case 238:
        return 1250; // Eastern European
    default:
        return 0;
    }
}

struct GroupState {
    bool skip = false;    // inside a destination that is no text
    bool deleted = false; // tracked deletion
    bool fontTable = false;
    int unicodeSkip = 1; // \ucN: replacement characters after \uN
    int font = -1;
};

class RichTextReader {
public:
    explicit RichTextReader(const QByteArray &bytes) : m_in(bytes) {}

    bool read(QString *text, QString *reason) {
        while (m_pos < m_in.size()) {
            const char c = m_in[m_pos++];
            if (c == '{') {
                flushBytes();
                if (m_stack.size() >= MaxDepth)
                    return fail(reason, ZipText::Damaged);
                m_stack << m_state;
                m_pendingSkip = 0;
                m_groupStart = true;
                continue;
            }
            if (c == '}') {
                flushBytes();
                if (m_stack.isEmpty())
                    break; // the end of the document; anything after it is not read
                m_state = m_stack.takeLast();
                m_pendingSkip = 0;
                continue;
            }
            const bool groupStart = m_groupStart;
            m_groupStart = false;
            if (c == '\\') {
                controlWord(groupStart);
            } else if (c == '\r' || c == '\n' || c == '\0') {
                m_groupStart = groupStart; // line ends in the file are not text
            } else if (c == '\t') {
                character(u'\t');
            } else {
                byte(c);
            }
            if (m_size > MaxTextChars)
                return fail(reason, ZipText::TooLarge);
        }
        flushBytes();
        if (!m_line.isEmpty())
            m_lines << m_line;
        *text = normalizeLineEnds(m_lines.join(u'\n'));
        return true;
    }

private:
    static bool fail(QString *reason, const QString &text) {
        if (reason)
            *reason = text;
        return false;
    }

    bool visible() const { return !m_state.skip && !m_state.deleted; }

    // One character of text, unless it stands in for the \uN before it.
    void character(QChar c) {
        flushBytes();
        if (m_pendingSkip > 0) {
            --m_pendingSkip;
            return;
        }
        if (visible()) {
            m_line += c;
            ++m_size;
        }
    }

    void byte(char c) {
        if (m_pendingSkip > 0) {
            flushBytes();
            --m_pendingSkip;
            return;
        }
        if (visible())
            m_bytes += c;
    }

    // Bytes in the current code page; a double-byte character may come as two \'hh.
    void flushBytes() {
        if (m_bytes.isEmpty())
            return;
        if (std::all_of(m_bytes.cbegin(), m_bytes.cend(), [](char c) { return uchar(c) < 0x80; })) {
            // Plain ASCII reads the same in every code page the format uses.
            m_line += QLatin1String(m_bytes);
            m_size += m_bytes.size();
            m_bytes.clear();
            return;
        }
        const int fontPage = m_fontCodePage.value(m_state.font, 0);
        const QByteArray converter = converterOf(fontPage ? fontPage : m_codePage);
        bool ok = false;
        QString decoded = IcuConvert::decode(converter.constData(), m_bytes, 0, &ok);
        if (!ok)
            decoded = IcuConvert::decode("windows-1252", m_bytes, 0, &ok);
        m_line += decoded;
        m_size += decoded.size();
        m_bytes.clear();
    }

    void endLine() {
        flushBytes();
        if (m_state.skip)
            return;
        m_lines << m_line;
        m_line.clear();
    }

    void controlWord(bool groupStart) {
        if (m_pos >= m_in.size())
            return;
        const char first = m_in[m_pos];
        if (!std::isalpha(static_cast<unsigned char>(first))) {
            ++m_pos;
            controlSymbol(first, groupStart);
            return;
        }
        const qsizetype start = m_pos;
        while (m_pos < m_in.size() && std::isalpha(static_cast<unsigned char>(m_in[m_pos])) &&
               m_pos - start < MaxWordLength)
            ++m_pos;
        const QByteArrayView word(m_in.constData() + start, m_pos - start);
        bool hasParam = false;
        qint64 param = 0;
        bool negative = false;
        if (m_pos < m_in.size() && m_in[m_pos] == '-') {
            negative = true;
            ++m_pos;
        }
        const qsizetype digits = m_pos;
        while (m_pos < m_in.size() && std::isdigit(static_cast<unsigned char>(m_in[m_pos])) &&
               m_pos - digits < 10) {
            param = param * 10 + (m_in[m_pos] - '0');
            ++m_pos;
        }
        hasParam = m_pos > digits;
        if (negative)
            param = -param;
        if (m_pos < m_in.size() && m_in[m_pos] == ' ')
            ++m_pos; // the delimiter belongs to the word
        apply(word, hasParam, param, groupStart);
    }

    void controlSymbol(char c, bool groupStart) {
        switch (c) {
        case '\\':
        case '{':
        case '}':
            byte(c);
            break;
        case '~':
            character(QChar(0x00A0));
            break;
        case '_':
            character(QChar(0x2011));
            break;
        case '-': // an optional hyphen is no text
            break;
        case '*':
            if (groupStart)
                m_state.skip = true;
            break;
        case '\'': {
            const QByteArray hex = m_in.mid(m_pos, 2);
            bool ok = false;
            const int value = hex.toInt(&ok, 16);
            if (ok && hex.size() == 2) {
                m_pos += 2;
                byte(char(value));
            }
            break;
        }
        case '\r':
        case '\n':
            if (m_pendingSkip > 0)
                --m_pendingSkip;
            else
                endLine();
            break;
        default:
            break;
        }
    }

    void apply(QByteArrayView word, bool hasParam, qint64 param, bool groupStart) {
        if (word == "bin") {
            // Raw bytes follow; they are no text and no markup.
            flushBytes();
            m_pos += std::clamp<qint64>(param, 0, m_in.size() - m_pos);
            return;
        }
        if (m_pendingSkip > 0 && word != "u") {
            flushBytes();
            --m_pendingSkip; // a control word stands in for the \uN before it
            return;
        }
        if (groupStart && isSkippedDestination(word)) {
            m_state.fontTable = word == "fonttbl"; // its charsets are read, not its text
            m_state.skip = true;
            return;
        }
        if (word == "u" && hasParam) {
            flushBytes();
            m_pendingSkip = 0;
            character(QChar(char16_t(param < 0 ? param + 65536 : param)));
            m_pendingSkip = m_state.unicodeSkip;
            return;
        }
        if (word == "uc" && hasParam) {
            m_state.unicodeSkip = int(std::clamp<qint64>(param, 0, 10));
        } else if (word == "ansicpg" && hasParam) {
            m_codePage = int(param);
        } else if (word == "f" && hasParam) {
            flushBytes();
            m_state.font = int(param);
        } else if (word == "fcharset" && hasParam && m_state.fontTable) {
            if (const int page = codePageOfCharset(int(param)))
                m_fontCodePage.insert(m_state.font, page);
        } else if (word == "deleted") {
            flushBytes();
            m_state.deleted = !hasParam || param != 0;
        } else if (word == "plain") {
            flushBytes();
            m_state.deleted = false;
        } else if (word == "par" || word == "sect" || word == "cell" || word == "nestcell") {
            endLine();
        } else if (word == "nonesttables") {
            m_state.skip = true; // the text of nested tables for readers without them
        } else if (const QChar c = symbolOf(word); !c.isNull()) {
            character(c);
        }
    }

    const QByteArray &m_in;
    qsizetype m_pos = 0;
    GroupState m_state;
    QList<GroupState> m_stack;
    bool m_groupStart = false;
    int m_pendingSkip = 0; // replacement characters of the last \uN still to skip
    int m_codePage = 1252;
    QHash<int, int> m_fontCodePage;
    QByteArray m_bytes; // \'hh and plain bytes not yet decoded
    QString m_line;
    QStringList m_lines;
    qsizetype m_size = 0;
};

} // namespace

bool isRichText(const QByteArray &bytes) {
    return bytes.startsWith("{\\rtf");
}

bool readRichText(const QByteArray &bytes, QString *text, QString *reason) {
    if (!isRichText(bytes)) {
        if (reason)
            *reason = DocumentText::NotDocument;
        return false;
    }
    return RichTextReader(bytes).read(text, reason);
}
