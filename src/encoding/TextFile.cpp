#include "encoding/Charset.h"
#include "encoding/DetectEncoding.h"
#include "encoding/IcuConvert.h"

#include "platform/FileReader.h"

#include <QtEndian>

#include <unicode/ucnv.h>

#include <cstring>
#include <string>

namespace {

// Why text could not be written in a charset (%1) the converter does not know.
const QString UnknownCharset = QStringLiteral("文字コード %1 に変換できません");

// UTF-16LE taken as it is. A final odd byte has no partner and becomes U+FFFD.
QString decodeUtf16Le(const QByteArray &bytes) {
    const qsizetype start = bytes.startsWith("\xFF\xFE") ? 2 : 0;
    const qsizetype units = (bytes.size() - start) / 2;
    const bool oddTail = (bytes.size() - start) % 2 != 0;
    QString text(units + (oddTail ? 1 : 0), Qt::Uninitialized);
    qFromLittleEndian<char16_t>(bytes.constData() + start, units, text.data());
    if (oddTail)
        text[units] = QChar(QChar::ReplacementCharacter);
    return text;
}

bool isSevenBit(const QByteArray &bytes) {
    const char *p = bytes.constData();
    const qsizetype n = bytes.size();
    qsizetype k = 0;
    for (; k + 8 <= n; k += 8) {
        quint64 word;
        std::memcpy(&word, p + k, 8);
        if (word & 0x8080808080808080ull)
            return false;
    }
    for (; k < n; ++k) {
        if (uchar(p[k]) & 0x80)
            return false;
    }
    return true;
}

// True when the charset is one of the ANSI code page's names (Shift_JIS, cp932, SJIS, ...).
bool namesAnsiCodePage(const QString &charset) {
    auto canonical = [](const char *name) {
        UErrorCode status = U_ZERO_ERROR;
        UConverter *cnv = ucnv_open(name, &status);
        const QByteArray result = U_SUCCESS(status) ? ucnv_getName(cnv, &status) : "";
        ucnv_close(cnv);
        return U_SUCCESS(status) ? result : QByteArray();
    };
    const QByteArray ansi = canonical(IcuConvert::AnsiCodePage);
    return !ansi.isEmpty() && canonical(charset.toLatin1().constData()) == ansi;
}

QString decodeOnly(const QString &name, const QByteArray &bytes) {
    // Seven-bit bytes mean the same in Shift_JIS, EUC-JP and UTF-8; the common case of plain
    // ASCII text skips the converter.
    if ((name == EncodingName::Euc || name == EncodingName::Utf8 || name == EncodingName::Sjis) &&
        isSevenBit(bytes))
        return QString::fromLatin1(bytes);
    if (name == EncodingName::Euc)
        return DecodeEucJp(bytes);
    if (name == EncodingName::Jis)
        return DecodeIso2022Jp(bytes);
    if (name == EncodingName::Utf8)
        return DecodeUtf8(bytes);
    if (name == EncodingName::Utf7)
        return DecodeUtf7(bytes);
    if (name == EncodingName::Unicode)
        return decodeUtf16Le(bytes);
    return DecodeAnsi(bytes);
}

} // namespace

QString NormalizeLineEnds(QString text) {
    const qsizetype firstCr = text.indexOf(QLatin1Char('\r'));
    if (firstCr < 0)
        return text;
    // Compact in place: the write position never passes the read position.
    QChar *d = text.data();
    const qsizetype n = text.size();
    qsizetype out = firstCr;
    for (qsizetype in = firstCr; in < n; ++in) {
        const QChar c = d[in];
        if (c == QLatin1Char('\r')) {
            d[out++] = QLatin1Char('\n');
            if (in + 1 < n && d[in + 1] == QLatin1Char('\n'))
                ++in;
        } else {
            d[out++] = c;
        }
    }
    text.truncate(out);
    return text;
}

QString DecodeByName(const QString &encodingName, const QByteArray &bytes) {
    return NormalizeLineEnds(decodeOnly(encodingName, bytes));
}

QString LoadNormalizedText(const QString &path, const std::function<bool()> &stop,
                           std::mutex *decodeTurn) {
    std::unique_lock<std::mutex> turn; // declared first: released after the bytes are freed
    const WholeFile file = readWholeFile(path, MaxComparedFileBytes, stop);
    const std::string shown = path.toStdString();
    switch (file.problem) {
    case FileProblem::None:
        break;
    case FileProblem::NoName:
        throw FileReadError("Cannot read a file without a name");
    case FileProblem::Folder:
        throw FileReadError("Cannot read '" + shown + "': it is a folder");
    case FileProblem::NotRegular:
        throw FileReadError("Cannot read '" + shown + "': it is not a regular file");
    case FileProblem::TooLarge:
        throw FileTooLargeError("Cannot read '" + shown + "': larger than " +
                                std::to_string(MaxComparedFileBytes) + " bytes");
    case FileProblem::Open:
    case FileProblem::Read:
    case FileProblem::Stopped:
        throw FileReadError("Cannot read '" + shown + "': " + file.reason().toStdString());
    }
    if (file.bytes.isEmpty())
        return {};
    try {
        const IcuConvert::StopScope stopping(stop);
        const QString encoding = DetectEncoding(file.bytes);
        if (decodeTurn)
            turn = std::unique_lock<std::mutex>(*decodeTurn);
        return DecodeByName(encoding, file.bytes);
    } catch (const IcuConvert::DecodingStopped &) {
        throw FileReadError("Cannot read '" + shown +
                            "': " + WholeFile{{}, FileProblem::Stopped}.reason().toStdString());
    }
}

WriteResult SaveTextAs(const QString &charset, const QString &text, const QString &path) {
    // UTF-8 goes out with its byte-order mark, written ahead of the text.
    QByteArray mark;
    QByteArray bytes;
    if (charset.compare(QLatin1String("UTF-8"), Qt::CaseInsensitive) == 0) {
        mark = QByteArrayLiteral("\xEF\xBB\xBF");
        bytes = text.toUtf8();
    } else if (namesAnsiCodePage(charset)) {
        bytes = EncodeAnsi(text); // best fits and "?", never the converter's FC FC
    } else {
        bool ok = false;
        bytes = IcuConvert::encode(charset.toLatin1().constData(), text, &ok);
        if (!ok)
            return WriteResult::failure(UnknownCharset.arg(charset));
    }
    AtomicFile file(path);
    if (file.open() && file.write(mark) && file.write(bytes))
        file.commit();
    return file.result();
}
