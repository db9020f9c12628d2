#include "encoding/TextEncoder.h"

#include "encoding/Charset.h"
#include "encoding/DetectEncoding.h"
#include "encoding/IcuConvert.h"

#include <QtEndian>

#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>

namespace {

// The encodings detection names (EncodingName), by the converter decodeByName reads them with.
struct KnownEncoding {
    const char *name;
    const char *converter; // empty: converted by hand
    ByteLayout layout;
    bool stateful;
    const char *mark;
    int markLength;
};

constexpr KnownEncoding KnownEncodings[] = {
    {"SJIS", IcuConvert::AnsiCodePage, ByteLayout::AsciiBreaks, false, "", 0},
    {"JIS", "ISO-2022-JP", ByteLayout::AsciiBreaks, true, "", 0},
    {"EUC", "EUC-JP", ByteLayout::AsciiBreaks, false, "", 0},
    {"UTF8", "UTF-8", ByteLayout::AsciiBreaks, false, "\xEF\xBB\xBF", 3},
    {"UTF7", "UTF-7", ByteLayout::AsciiBreaks, true, "", 0},
    {"UNICODE", "", ByteLayout::Units16Le, false, "\xFF\xFE", 2},
};

const KnownEncoding *knownEncoding(const QString &name) {
    for (const KnownEncoding &known : KnownEncodings) {
        if (name == QLatin1String(known.name))
            return &known;
    }
    return nullptr;
}

bool isPermutedControl(char16_t c) {
    return c == 0x1A || c == 0x1C || c == 0x7F; // kept as they are (see decodeAnsi)
}

bool isHalfWidthKatakana(char16_t c) {
    return c >= 0xFF61 && c <= 0xFF9F;
}

} // namespace

struct TextEncoder::Converters {
    UConverter *cnv = nullptr;
    ~Converters() {
        if (cnv)
            ucnv_close(cnv);
    }
};

TextEncoder::TextEncoder(const QString &encodingName)
    : m_name(encodingName), m_converters(std::make_unique<Converters>()) {
    UErrorCode status = U_ZERO_ERROR;
    if (const KnownEncoding *known = knownEncoding(encodingName)) {
        m_detected = true;
        m_converter = known->converter;
        m_layout = known->layout;
        m_stateful = known->stateful;
        m_mark = QByteArray(known->mark, known->markLength);
    } else if (UConverter *probe = ucnv_open(encodingName.toLatin1().constData(), &status);
               U_SUCCESS(status)) {
        // A converter ICU knows: its kind says where the line breaks are. The generic UTF-16
        // and UTF-32 converters would write a mark before each line; their big-endian forms
        // write none and the mark is written once, ahead of the text.
        m_converter = ucnv_getName(probe, &status);
        switch (ucnv_getType(probe)) {
        case UCNV_UTF16:
        case UCNV_UTF16_BigEndian:
            m_converter = "UTF-16BE";
            m_layout = ByteLayout::Units16Be;
            m_mark = QByteArray("\xFE\xFF");
            break;
        case UCNV_UTF16_LittleEndian:
            m_layout = ByteLayout::Units16Le;
            m_mark = QByteArray("\xFF\xFE");
            break;
        case UCNV_UTF32:
        case UCNV_UTF32_BigEndian:
            m_converter = "UTF-32BE";
            m_layout = ByteLayout::Units32Be;
            m_mark = QByteArray("\x00\x00\xFE\xFF", 4);
            break;
        case UCNV_UTF32_LittleEndian:
            m_layout = ByteLayout::Units32Le;
            m_mark = QByteArray("\xFF\xFE\x00\x00", 4);
            break;
        case UCNV_UTF8:
            m_mark = QByteArray("\xEF\xBB\xBF");
            break;
        default:
            // Shift states (ISO-2022, UTF-7, HZ), or a converter where a line feed is not the
            // byte 0A (EBCDIC): every line is checked apart.
            m_stateful = ucnv_isAmbiguous(probe) || ucnv_getType(probe) == UCNV_ISO_2022 ||
                         ucnv_getType(probe) == UCNV_UTF7 || ucnv_getType(probe) == UCNV_HZ ||
                         ucnv_getType(probe) == UCNV_EBCDIC_STATEFUL ||
                         ucnv_getType(probe) == UCNV_IMAP_MAILBOX;
            break;
        }
        ucnv_close(probe);
    } else {
        m_name = EncodingName::Sjis; // as decodeByName reads a name it does not know
        m_converter = IcuConvert::AnsiCodePage;
    }
    m_ansi = m_converter == IcuConvert::AnsiCodePage;
    m_jis = m_converter == "ISO-2022-JP";
    m_utf8 = m_converter == "UTF-8";
    if (!m_converter.isEmpty()) {
        status = U_ZERO_ERROR;
        m_converters->cnv = ucnv_open(m_converter.constData(), &status);
        if (U_FAILURE(status))
            m_converters->cnv = nullptr;
        else
            ucnv_setFallback(m_converters->cnv, false); // one-way mappings are look-alikes
    }
    // A converter whose line feed is not the byte 0A cannot be split at that byte.
    if (m_layout == ByteLayout::AsciiBreaks && !m_stateful) {
        bool ok = false;
        if (convert(QStringLiteral("\n"), &ok) != "\n" || !ok)
            m_stateful = true;
    }
}

TextEncoder::~TextEncoder() = default;
TextEncoder::TextEncoder(TextEncoder &&) noexcept = default;
TextEncoder &TextEncoder::operator=(TextEncoder &&) noexcept = default;

// The bytes of the text in the encoding, false in *ok at the first character it cannot hold.
QByteArray TextEncoder::convert(const QString &text, bool *ok) {
    *ok = true;
    if (m_converter.isEmpty()) { // UTF-16LE
        QByteArray bytes(text.size() * 2, Qt::Uninitialized);
        qToLittleEndian<char16_t>(text.utf16(), text.size(), bytes.data());
        return bytes;
    }
    if (m_utf8) {
        *ok = QStringView(text).isValidUtf16(); // a lone surrogate has no UTF-8 form
        return *ok ? text.toUtf8() : QByteArray();
    }
    UConverter *cnv = m_converters->cnv;
    if (!cnv) {
        *ok = false;
        return {};
    }
    auto piece = [&](QStringView part, QByteArray &out) {
        ucnv_resetFromUnicode(cnv);
        UErrorCode status = U_ZERO_ERROR;
        ucnv_setFromUCallBack(cnv, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
        const qsizetype start = out.size();
        out.resize(start + part.size() * 4 + 16);
        const auto *src = reinterpret_cast<const UChar *>(part.utf16());
        const UChar *srcEnd = src + part.size();
        qsizetype written = start;
        for (;;) {
            char *begin = out.data();
            char *dst = begin + written;
            status = U_ZERO_ERROR;
            ucnv_fromUnicode(cnv, &dst, begin + out.size(), &src, srcEnd, nullptr, true, &status);
            written = dst - begin;
            if (status == U_BUFFER_OVERFLOW_ERROR) {
                out.resize(out.size() * 2);
                continue;
            }
            break;
        }
        out.resize(written);
        return U_SUCCESS(status);
    };
    QByteArray out;
    out.reserve(text.size() * 2 + 8);
    const QStringView all(text);
    qsizetype from = 0;
    // The ANSI code page keeps three control codes as they are, and ISO-2022-JP writes
    // half-width katakana in their own set; the rest goes through the converter piece by piece.
    for (qsizetype k = 0; k <= all.size(); ++k) {
        const char16_t c = k < all.size() ? all[k].unicode() : 0;
        const bool control = m_ansi && k < all.size() && isPermutedControl(c);
        const bool kana = m_jis && k < all.size() && isHalfWidthKatakana(c);
        if (k < all.size() && !control && !kana)
            continue;
        if (k > from && !piece(all.mid(from, k - from), out)) {
            *ok = false;
            return {};
        }
        if (control) {
            out += char(c);
        } else if (kana) {
            out += "\x1B(I";
            for (; k < all.size() && isHalfWidthKatakana(all[k].unicode()); ++k)
                out += char(all[k].unicode() - 0xFF61 + 0x21);
            out += "\x1B(B";
            --k;
        }
        from = k + 1;
    }
    // The decoder takes an escape followed at once by another for an error: a switch back to
    // ASCII between two pieces goes.
    if (m_jis)
        out.replace("\x1B(B\x1B", "\x1B");
    return out;
}

QString TextEncoder::decode(const QByteArray &bytes) {
    // Other encodings are read back by the reader itself, whatever converter it takes.
    if (!m_detected)
        return decodeByName(m_name, bytes);
    // The three control codes the ANSI code page keeps as they are go the long way round.
    if (m_ansi && (bytes.contains('\x1A') || bytes.contains('\x1C') || bytes.contains('\x7F')))
        return decodeAnsi(bytes);
    if (m_converter.isEmpty()) {
        const qsizetype units = bytes.size() / 2;
        QString text(units + bytes.size() % 2, Qt::Uninitialized);
        qFromLittleEndian<char16_t>(bytes.constData(), units, text.data());
        if (bytes.size() % 2)
            text[units] = QChar(QChar::ReplacementCharacter);
        return text;
    }
    // A converter of its own, not DecodeWithCharset: that drops a leading mark, which inside
    // a file is a character of its line.
    UConverter *cnv = m_converters->cnv;
    if (!cnv)
        return {};
    ucnv_resetToUnicode(cnv);
    QString text(bytes.size() + 16, Qt::Uninitialized);
    const char *src = bytes.constData();
    const char *srcEnd = src + bytes.size();
    qsizetype written = 0;
    for (;;) {
        auto *begin = reinterpret_cast<UChar *>(text.data());
        UChar *dst = begin + written;
        UErrorCode status = U_ZERO_ERROR;
        ucnv_toUnicode(cnv, &dst, begin + text.size(), &src, srcEnd, nullptr, true, &status);
        written = dst - begin;
        if (status == U_BUFFER_OVERFLOW_ERROR) {
            text.resize(text.size() * 2);
            continue;
        }
        if (U_FAILURE(status))
            return {};
        break;
    }
    text.resize(written);
    return text;
}

bool TextEncoder::readsBackAs(const QByteArray &bytes, const QString &text) {
    return decode(bytes) == text;
}

qsizetype TextEncoder::firstUnencodable(const QString &text) {
    for (qsizetype k = 0; k < text.size();) {
        const qsizetype width =
            text[k].isHighSurrogate() && k + 1 < text.size() && text[k + 1].isLowSurrogate() ? 2
                                                                                             : 1;
        const QString one = text.mid(k, width);
        bool ok = false;
        const QByteArray bytes = convert(one, &ok);
        if (!ok || !readsBackAs(bytes, one))
            return k;
        k += width;
    }
    return text.isEmpty() ? -1 : 0; // each alone holds, together they do not: say where it starts
}

QByteArray TextEncoder::lineBreak(const QString &lineBreak) {
    // Not read back: the reader makes every break an LF.
    bool ok = false;
    const QByteArray bytes = convert(lineBreak, &ok);
    return ok ? bytes : lineBreak.toLatin1();
}

EncodedText TextEncoder::encode(const QString &text) {
    EncodedText result;
    bool ok = false;
    result.bytes = convert(text, &ok);
    // By hand, UTF-8 and UTF-16 hold every valid text; what a converter wrote is read back,
    // so that a mapping it makes one way only never passes for the character.
    const bool byHand = m_converter.isEmpty() || m_utf8;
    const bool checked = byHand ? ok : ok && readsBackAs(result.bytes, text);
    if (!checked) {
        result.bytes.clear();
        result.badIndex = firstUnencodable(text);
    }
    return result;
}
