#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <mutex>

// A text decoded from bytes, with what the decoding found out besides the text.
struct DecodedText {
    QString text;               // line ends normalised to LF
    QString encoding;           // the name (EncodingNames.h) it was decoded by
    bool chosen = false;        // named by the caller, not detected
    QString detected;           // what detection would have taken (encoding unless chosen)
    bool clean = true;          // every byte belonged to a valid character the encoding maps
    bool byteOrderMark = false; // the bytes began with the encoding's mark (not in the text)
    qsizetype crLf = 0;         // CR LF pairs that became LF
    qsizetype loneCr = 0;       // lone CRs that became LF
};

// Decodes bytes in the named encoding (any name of EncodingNames.h; an unknown one reads as
// "SJIS"), or, with an empty name, in the one detection answers; when that answer leaves bytes
// undecoded and another of its candidates reads them all, the clean one is taken.
DecodedText decodeText(const QByteArray &bytes, const QString &encoding = {});

// The bytes as text in the named encoding, line ends as they are; *invalid (may be null) is
// increased by the number of byte sequences that had to be replaced. `strict` gives up at the
// first one (the text is then empty and *invalid counts 1).
QString decodeOnly(const QString &encoding, const QByteArray &bytes, qsizetype *invalid = nullptr,
                   bool strict = false);

// normalizeLineEnds that also counts the CR LF pairs and lone CRs it turned into LF.
QString normalizeCountingLineEnds(QString text, qsizetype *crLf, qsizetype *loneCr);

// LoadNormalizedText (Charset.h) with what decodeText found out; `encoding` as for decodeText.
DecodedText loadTextFile(const QString &path, const std::function<bool()> &stop = {},
                         std::mutex *decodeTurn = nullptr, const QString &encoding = {});
