#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

// The way back from text to bytes for every encoding name decodeByName knows: what decodeByName
// reads back from the bytes is the text that was encoded, or the encoding says which character
// it cannot hold. Nothing is ever written as "?" or as a look-alike (best fit), since a file
// saved that way would silently hold other characters than the user wrote.

// How line breaks appear in an encoding's bytes, which is all a reader needs to find lines.
enum class ByteLayout : quint8 {
    AsciiBreaks, // CR and LF are the bytes 0D and 0A and never part of another character
    Units16Le,   // CR and LF are 16-bit units
    Units16Be,
    Units32Le,
    Units32Be,
};

// What one piece of text came to.
struct EncodedText {
    QByteArray bytes;
    qsizetype badIndex = -1; // the first character (UTF-16 index) the encoding cannot hold

    bool ok() const { return badIndex < 0; }
};

class TextEncoder {
public:
    // An encoding name as DetectEncoding answers ("SJIS", "JIS", "EUC", "UTF8", "UTF7",
    // "UNICODE") or a converter name ICU knows ("UTF-16BE", "GB18030", "windows-1252", ...).
    // Names neither knows stand for "SJIS", as in decodeByName.
    explicit TextEncoder(const QString &encodingName);
    ~TextEncoder();
    TextEncoder(TextEncoder &&) noexcept;
    TextEncoder &operator=(TextEncoder &&) noexcept;

    QString name() const { return m_name; }
    ByteLayout layout() const { return m_layout; }
    // ISO-2022-JP and UTF-7 change state within a line; every line is encoded from and back to
    // the initial state, and a reader checks each line apart.
    bool stateful() const { return m_stateful; }
    // The byte-order mark the encoding is written with when a mark is wanted (empty for
    // encodings without one).
    QByteArray byteOrderMark() const { return m_mark; }

    // Encodes text that holds no line break, starting in the encoding's initial state and
    // ending back in it. The bytes decode by decodeByName to exactly this text, or badIndex
    // says where the first character is that the encoding cannot hold.
    EncodedText encode(const QString &text);

    // The bytes of a line break ("\n", "\r\n" or "\r") in the encoding.
    QByteArray lineBreak(const QString &lineBreak);

    // Decodes the bytes of one line as decodeByName does (without its line-end step), for the
    // six detected encodings through a converter kept from call to call: for checking many
    // lines fast.
    QString decode(const QByteArray &bytes);

private:
    QByteArray convert(const QString &text, bool *ok);
    bool readsBackAs(const QByteArray &bytes, const QString &text);
    qsizetype firstUnencodable(const QString &text);

    struct Converters;
    QString m_name;
    QByteArray m_converter; // the ICU name; empty for UTF-16LE, done by hand
    ByteLayout m_layout = ByteLayout::AsciiBreaks;
    bool m_stateful = false;
    bool m_detected = false; // one of the six names detection answers with
    bool m_ansi = false;     // the ANSI code page, with its control codes kept as they are
    bool m_jis = false;      // ISO-2022-JP, with half-width katakana written after ESC ( I
    bool m_utf8 = false;     // UTF-8, written by Qt
    QByteArray m_mark;
    std::unique_ptr<Converters> m_converters;
};
