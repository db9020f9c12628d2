#pragma once

#include "platform/AtomicFile.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <mutex>
#include <stdexcept>

// Conversion between bytes and text (the stream-conversion module and the ANSI code page).
// Shift_JIS as windows-31j (CP932) stands for the system ANSI code page "SJIS".

// Decodes bytes in the named charset ("ISO-2022-JP", "EUC-JP", "UTF-7", "UTF-8") through
// ICU. A leading UTF-8 byte-order mark is dropped. On a conversion failure: the empty text.
// `invalid` (may be null) is increased by the number of byte sequences that were replaced;
// `strict` gives the empty text at the first one instead (see IcuConvert::decode).
QString DecodeWithCharset(const char *charset, const QByteArray &bytes,
                          qsizetype *invalid = nullptr, bool strict = false);
QString DecodeIso2022Jp(const QByteArray &bytes);
QString decodeEucJp(const QByteArray &bytes);
QString DecodeUtf7(const QByteArray &bytes);
QString DecodeUtf8(const QByteArray &bytes);

// The ANSI code page (windows-31j) in both directions. A character it cannot represent is
// written as its best fit (see AnsiBestFit.h) or "?", so the bytes are always valid CP932.
QString decodeAnsi(const QByteArray &bytes, qsizetype *invalid = nullptr, bool strict = false);
QByteArray EncodeAnsi(const QString &text);

// Every CR LF and every lone CR become LF.
QString normalizeLineEnds(QString text);

// Decoding by an encoding name of DetectEncoding followed by line-end normalisation.
// "UNICODE" takes the bytes as UTF-16LE (a leading FF FE dropped); unknown names mean "SJIS".
QString decodeByName(const QString &encodingName, const QByteArray &bytes);

// A file that cannot be opened or read.
class FileReadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The largest file that a text or binary comparison reads (1 GiB). Such a file is held whole in
// memory, and its text a second time as UTF-16 with the grid's lines on top; anything larger is
// refused with FileTooLargeError rather than read in part or left to exhaust the memory.
constexpr qint64 MaxComparedFileBytes = qint64(1) << 30;

// A file beyond MaxComparedFileBytes.
class FileTooLargeError : public FileReadError {
public:
    using FileReadError::FileReadError;
};

// Reads a whole file, detects its encoding, decodes and normalises it. Throws FileReadError
// when the file cannot be read (FileTooLargeError beyond MaxComparedFileBytes); an empty file
// gives the empty text.
// stop (may be empty) is asked while the file is read; true ends the read with FileReadError.
// decodeTurn (may be null) is held from the start of the decoding until the file's bytes are
// freed: two files loaded at once then never hold both their bytes and their texts.
QString LoadNormalizedText(const QString &path, const std::function<bool()> &stop = {},
                           std::mutex *decodeTurn = nullptr);

// Writes text in the named charset (callers pass "UTF-8": the file starts with EF BB BF),
// replacing an existing file. The file is written under a temporary name and renamed into
// place, so a failure leaves any earlier file intact. On a failure the result says why.
WriteResult SaveTextAs(const QString &charset, const QString &text, const QString &path);
