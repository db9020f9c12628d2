#include "edit/ReadEditableText.h"

#include "encoding/Charset.h"
#include "encoding/DecodeText.h"
#include "encoding/DetectEncoding.h"
#include "encoding/IcuConvert.h"
#include "encoding/TextEncoder.h"
#include "engine/LineViews.h"
#include "platform/FileReader.h"

#include <QDir>
#include <QFileInfo>
#include <QHashFunctions>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <cstring>

namespace {

// Where a line lies in the bytes and how it ends.
struct ByteLine {
    qint64 start;
    qint32 textBytes;
    qint8 endBytes;
    LineEnd end;
};

// The lines of bytes[from..] in an encoding that writes CR and LF as the bytes 0D and 0A:
// split as the decoded text is (CR LF, LF, CR; a last line after the last break).
std::vector<ByteLine> splitAsciiBreaks(const QByteArray &bytes, qsizetype from) {
    std::vector<ByteLine> lines;
    const char *p = bytes.constData();
    const qsizetype n = bytes.size();
    if (from >= n)
        return lines;
    qsizetype nextLf = -2; // the next LF at or after pos (-1: none), kept while pos is before it
    for (qsizetype pos = from;;) {
        if (nextLf != -1 && nextLf < pos) {
            const void *lf = std::memchr(p + pos, '\n', size_t(n - pos));
            nextLf = lf ? static_cast<const char *>(lf) - p : -1;
        }
        const qsizetype lfAt = nextLf < 0 ? n : nextLf;
        const void *cr = std::memchr(p + pos, '\r', size_t(lfAt - pos));
        if (cr) {
            const qsizetype at = static_cast<const char *>(cr) - p;
            const bool pair = at + 1 < n && p[at + 1] == '\n';
            lines.push_back(
                {pos, qint32(at - pos), qint8(pair ? 2 : 1), pair ? LineEnd::CrLf : LineEnd::Cr});
            pos = at + (pair ? 2 : 1);
        } else if (nextLf >= 0) {
            lines.push_back({pos, qint32(nextLf - pos), 1, LineEnd::Lf});
            pos = nextLf + 1;
        } else {
            lines.push_back({pos, qint32(n - pos), 0, LineEnd::None});
            return lines;
        }
    }
}

// The same in an encoding of 16- or 32-bit units; a partial unit at the end stays in the last
// line.
std::vector<ByteLine> splitUnits(const QByteArray &bytes, qsizetype from, int width,
                                 bool bigEndian) {
    std::vector<ByteLine> lines;
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData());
    const qsizetype n = bytes.size();
    if (from >= n)
        return lines;
    auto unitAt = [&](qsizetype at) -> quint32 {
        if (at + width > n)
            return 0xFFFFFFFF; // a partial unit is no break
        if (width == 2)
            return bigEndian ? qFromBigEndian<quint16>(p + at) : qFromLittleEndian<quint16>(p + at);
        return bigEndian ? qFromBigEndian<quint32>(p + at) : qFromLittleEndian<quint32>(p + at);
    };
    qsizetype start = from;
    for (qsizetype at = from; at < n; at += width) {
        const quint32 unit = unitAt(at);
        if (unit != '\n' && unit != '\r')
            continue;
        const bool pair = unit == '\r' && unitAt(at + width) == '\n';
        const LineEnd end = unit == '\n' ? LineEnd::Lf : pair ? LineEnd::CrLf : LineEnd::Cr;
        lines.push_back({start, qint32(at - start), qint8(pair ? 2 * width : width), end});
        at += pair ? width : 0;
        start = at + width;
    }
    lines.push_back({start, qint32(n - start), 0, LineEnd::None});
    return lines;
}

std::vector<ByteLine> splitBytes(const QByteArray &bytes, qsizetype from, ByteLayout layout) {
    switch (layout) {
    case ByteLayout::AsciiBreaks:
        break;
    case ByteLayout::Units16Le:
        return splitUnits(bytes, from, 2, false);
    case ByteLayout::Units16Be:
        return splitUnits(bytes, from, 2, true);
    case ByteLayout::Units32Le:
        return splitUnits(bytes, from, 4, false);
    case ByteLayout::Units32Be:
        return splitUnits(bytes, from, 4, true);
    }
    return splitAsciiBreaks(bytes, from);
}

// Where a decoder put a character for bytes it could not decode (U+FFFD, or SUB for an
// unassigned code): a line holding one may read differently alone. Found by the library's
// vectorised search, as they are rare.
std::vector<qsizetype> replacementsIn(const QString &text) {
    std::vector<qsizetype> at;
    for (const QChar c : {QChar(0xFFFD), QChar(0x1A)}) {
        for (qsizetype k = text.indexOf(c); k >= 0; k = text.indexOf(c, k + 1))
            at.push_back(k);
    }
    std::sort(at.begin(), at.end());
    return at;
}

LineEnd mostCommonEnd(const std::vector<ByteLine> &lines) {
    std::array<qsizetype, 4> counts{};
    for (const ByteLine &line : lines)
        ++counts[size_t(line.end)];
    LineEnd usual = LineEnd::Lf;
    for (const LineEnd end : {LineEnd::CrLf, LineEnd::Cr}) {
        if (counts[size_t(end)] > counts[size_t(usual)])
            usual = end;
    }
    return usual;
}

} // namespace

size_t contentHash(QByteArrayView bytes) {
    // Seeded: the seeded hash takes the processor's fast path where it has one.
    return qHash(bytes, size_t(0x9E3779B97F4A7C15ull));
}

EditableText editableTextFromBytes(const QByteArray &bytes, const QString &encodingName) {
    // The text and its lines exactly as a comparison run makes them, in the encoding the run
    // takes (the detected one, or a candidate that reads every byte where it does not).
    const DecodedText decoded = bytes.isEmpty() ? DecodedText() : decodeText(bytes, encodingName);
    const QString encoding = bytes.isEmpty()
                                 ? (encodingName.isEmpty() ? DetectEncoding(bytes) : encodingName)
                                 : decoded.encoding;
    const QString &text = decoded.text;
    const LineViews views = LineViews::splitText(text);
    TextEncoder encoder(encoding);

    // A mark the decoder dropped is not part of the first line.
    const QByteArray mark = encoder.byteOrderMark();
    const bool marked = !mark.isEmpty() && bytes.startsWith(mark);
    std::vector<ByteLine> byteLines = splitBytes(bytes, marked ? mark.size() : 0, encoder.layout());
    auto readsAlone = [&](const ByteLine &line, qsizetype k) {
        return encoder.decode(bytes.mid(line.start, line.textBytes)) == views[k];
    };
    bool keepsMark = marked;
    if (marked && !byteLines.empty() && views.size() > 0 && !readsAlone(byteLines[0], 0)) {
        // The decoder kept the mark as a character of the first line.
        ByteLine whole = byteLines[0];
        whole.textBytes += qint32(whole.start);
        whole.start = 0;
        if (readsAlone(whole, 0)) {
            byteLines[0] = whole;
            keepsMark = false;
        }
    }

    EditableTextBuilder builder;
    builder.reserve(views.size());
    const bool mapped = qsizetype(byteLines.size()) == views.size();
    const LineEnd usual = mostCommonEnd(byteLines);
    const std::vector<qsizetype> replaced = replacementsIn(text);
    auto nextReplaced = replaced.begin();
    for (qsizetype k = 0; k < views.size(); ++k) {
        const QString line = views[k];
        // Each line its own string (no view into the text, which goes when this returns).
        EditLine edit{line.isEmpty() ? QString() : QString(line.constData(), line.size()),
                      LineEnd::None};
        const qsizetype lineEnd = line.constData() - text.constData() + line.size();
        bool holdsReplacement = false;
        for (; nextReplaced != replaced.end() && *nextReplaced < lineEnd; ++nextReplaced)
            holdsReplacement = true;
        if (mapped) {
            // Each line alone must read as its text where anything could make it differ: a
            // shift state, a replaced sequence, the first line's mark.
            const ByteLine &place = byteLines[size_t(k)];
            edit.end = place.end;
            if ((k > 0 && !encoder.stateful() && !holdsReplacement) || readsAlone(place, k)) {
                edit.byteStart = place.start;
                edit.textBytes = place.textBytes;
                edit.endBytes = place.endBytes;
            }
        } else if (k + 1 < views.size()) {
            edit.end = usual; // the breaks are not where the bytes have them: all lines anew
        }
        builder.append(std::move(edit));
    }
    EditableText &side = builder.text();
    side.setUsualEnd(usual);
    side.setSource(bytes, encoder.name(), keepsMark ? mark : QByteArray());
    SideFile file;
    file.encoding = side.encoding();
    file.byteOrderMark = side.byteOrderMark();
    side.setFile(file);
    return builder.take();
}

EditableText readEditableText(const QString &path, const QString &encoding,
                              const std::function<bool()> &stop) {
    const WholeFile file = readWholeFile(path, MaxComparedFileBytes, stop);
    if (file.problem == FileProblem::TooLarge)
        throw FileTooLargeError(file.problemText(path).toStdString());
    if (!file.ok())
        throw FileReadError(file.problemText(path).toStdString());
    EditableText side = [&] {
        const IcuConvert::StopScope stopping(stop);
        try {
            return editableTextFromBytes(file.bytes, encoding);
        } catch (const IcuConvert::DecodingStopped &) {
            throw FileReadError(
                WholeFile{{}, FileProblem::Stopped}.problemText(path).toStdString());
        }
    }();
    SideFile state = side.file();
    state.path = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    state.size = file.bytes.size();
    modificationStamp(path, &state.modified);
    state.contentHash = contentHash(file.bytes);
    side.setFile(state);
    return side;
}
