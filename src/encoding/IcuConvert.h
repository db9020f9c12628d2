#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <stdexcept>

// Thin wrappers over ICU's ucnv converters, shared by the decoders and the file writer.
// Invalid or unmappable input is replaced, never rejected.
namespace IcuConvert {

// The converter name that stands for the ANSI code page "SJIS".
inline constexpr const char *AnsiCodePage = "windows-31j";

// Decodes starting at byte `offset`. Sets *ok to false when the converter cannot be opened or
// fails for a reason other than a full buffer; the text is then empty. `invalid` (may be null)
// is increased by the number of byte sequences that were invalid or unmapped and replaced
// (substitute characters in the text beyond those the bytes themselves encode). `strict` stops
// at the first such sequence instead: *ok is false, the text empty and `invalid` counts 1.
QString decode(const char *charset, const QByteArray &bytes, qsizetype offset, bool *ok,
               qsizetype *invalid = nullptr, bool strict = false);

// While one lives, long conversions on this thread ask `stop` between slices of a few
// megabytes and throw DecodingStopped when it says so (the Esc key during a run).
class StopScope {
public:
    explicit StopScope(const std::function<bool()> &stop);
    ~StopScope();
    StopScope(const StopScope &) = delete;
    StopScope &operator=(const StopScope &) = delete;

private:
    const std::function<bool()> *m_previous;
};

class DecodingStopped : public std::runtime_error {
public:
    DecodingStopped() : std::runtime_error("decoding stopped") {}
};

// Encodes text; unmappable characters become the converter's substitution character. With
// `fallbacks` the converter also writes the characters it maps one way only (the wave dash
// U+301C as 0x8160 in windows-31j).
QByteArray encode(const char *charset, const QString &text, bool *ok, bool fallbacks = false);

} // namespace IcuConvert
