#include "encoding/Charset.h"
#include "encoding/DecodeText.h"
#include "encoding/IcuConvert.h"

#include "platform/FileReader.h"

#include <unicode/ucnv.h>

#include <string>

namespace {

// Why text could not be written in a charset (%1) the converter does not know.
const QString UnknownCharset = QStringLiteral("文字コード %1 に変換できません");

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

} // namespace

QString normalizeLineEnds(QString text) {
    return normalizeCountingLineEnds(std::move(text), nullptr, nullptr);
}

QString decodeByName(const QString &encodingName, const QByteArray &bytes) {
    return normalizeLineEnds(decodeOnly(encodingName, bytes));
}

QString LoadNormalizedText(const QString &path, const std::function<bool()> &stop,
                           std::mutex *decodeTurn) {
    return loadTextFile(path, stop, decodeTurn).text;
}

DecodedText loadTextFile(const QString &path, const std::function<bool()> &stop,
                         std::mutex *decodeTurn, const QString &encoding) {
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
        if (decodeTurn)
            turn = std::unique_lock<std::mutex>(*decodeTurn);
        return decodeText(file.bytes, encoding);
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
