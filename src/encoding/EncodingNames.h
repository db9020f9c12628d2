#pragma once

#include <QString>

#include <array>

// Names of the encodings a text can be read in (and written in). The first six are the ones
// detection answers with; the others are read only when the user names them, or when a
// byte-order mark or the layout of zero bytes says so (UTF-16BE, UTF-32).
namespace EncodingName {
inline const QString Sjis = QStringLiteral("SJIS");
inline const QString Jis = QStringLiteral("JIS");
inline const QString Euc = QStringLiteral("EUC");
inline const QString Utf8 = QStringLiteral("UTF8");
inline const QString Utf7 = QStringLiteral("UTF7");
inline const QString Unicode = QStringLiteral("UNICODE"); // UTF-16 little-endian
inline const QString Utf16Be = QStringLiteral("UTF16BE");
inline const QString Utf32 = QStringLiteral("UTF32"); // either byte order by its mark, else BE
inline const QString Gb18030 = QStringLiteral("GB18030");
inline const QString Big5 = QStringLiteral("BIG5");
inline const QString EucKr = QStringLiteral("EUCKR");
inline const QString Cp1252 = QStringLiteral("CP1252");
inline const QString Latin1 = QStringLiteral("LATIN1");
} // namespace EncodingName

// One encoding: its name, the ICU converter that reads and writes it, and how the user sees it.
// "SJIS" stands for the ANSI code page (windows-31j) and "UNICODE" is converted directly; their
// converter names are those of the same encodings in ICU.
struct EncodingInfo {
    const QString &name;
    const char *converter;
    const char *caption;
};

inline const std::array<EncodingInfo, 13> &knownEncodings() {
    static const std::array<EncodingInfo, 13> table = {{
        {EncodingName::Sjis, "windows-31j", "Shift_JIS"},
        {EncodingName::Jis, "ISO-2022-JP", "ISO-2022-JP"},
        {EncodingName::Euc, "EUC-JP", "EUC-JP"},
        {EncodingName::Utf8, "UTF-8", "UTF-8"},
        {EncodingName::Utf7, "UTF-7", "UTF-7"},
        {EncodingName::Unicode, "UTF-16LE", "UTF-16LE"},
        {EncodingName::Utf16Be, "UTF-16BE", "UTF-16BE"},
        {EncodingName::Utf32, "UTF-32", "UTF-32"},
        {EncodingName::Gb18030, "GB18030", "GB18030"},
        {EncodingName::Big5, "Big5", "Big5"},
        {EncodingName::EucKr, "EUC-KR", "EUC-KR"},
        {EncodingName::Cp1252, "windows-1252", "Windows-1252"},
        {EncodingName::Latin1, "ISO-8859-1", "ISO-8859-1"},
    }};
    return table;
}

// The entry of a name, matched without regard to case; null for a name not in the table.
inline const EncodingInfo *findEncoding(const QString &name) {
    for (const EncodingInfo &e : knownEncodings()) {
        if (e.name.compare(name, Qt::CaseInsensitive) == 0)
            return &e;
    }
    return nullptr;
}

// What the user reads for a name (the name itself when it is not in the table).
inline QString encodingCaption(const QString &name) {
    const EncodingInfo *e = findEncoding(name);
    return e ? QString::fromLatin1(e->caption) : name;
}
