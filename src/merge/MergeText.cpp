#include "merge/MergeText.h"

#include "encoding/Charset.h"
#include "encoding/DetectEncoding.h"
#include "merge/SourceText.h"
#include "merge/ThreeWayMerge.h"
#include "platform/AtomicFile.h"
#include "platform/FileReader.h"

#include <QHash>

namespace {

using End = SourceLine::End;
enum Which { Mine, Older, Yours };

// A label the result's encoding cannot hold keeps its ASCII characters and spells the others
// as \uXXXX: a label only names a side, and must not stop the merge.
QString asciiLabel(const QString &label) {
    QString ascii;
    for (const QChar c : label) {
        if (c.unicode() < 0x80)
            ascii += c;
        else
            ascii += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
    }
    return ascii;
}

// Builds the merged bytes line by line.
class MergeWriter {
public:
    MergeWriter(const SourceText (&texts)[3], const MergeLabels &labels) : m_texts(texts) {
        m_labels[Mine] = labels.mine;
        m_labels[Older] = labels.older;
        m_labels[Yours] = labels.yours;
        // MINE decides the encoding, unless it is empty or seven-bit and another side shows
        // which of the encodings that read such bytes alike the text is in.
        const SourceText *model = &texts[Mine];
        for (const Which w : {Yours, Older}) {
            if (model->bytes.isEmpty() && !texts[w].bytes.isEmpty())
                model = &texts[w];
        }
        m_encoding = model->encoding.isEmpty() ? EncodingName::Utf8 : model->encoding;
        if (model->sevenBit && isAsciiCompatible(m_encoding)) {
            for (const Which w : {Yours, Older}) {
                if (!texts[w].sevenBit && isAsciiCompatible(texts[w].encoding)) {
                    m_encoding = texts[w].encoding;
                    break;
                }
            }
        }
        m_usualEnd = End::Lf;
        for (const Which w : {Older, Yours, Mine}) { // MINE's first, then YOURS'
            if (texts[w].usualEnd != End::None)
                m_usualEnd = texts[w].usualEnd;
        }
        qsizetype size = 0;
        for (const SourceText &t : texts)
            size += t.bytes.size();
        m_bytes.reserve(size);
        // MINE's mark stays even on an empty result; another side's comes only with lines.
        m_mark = model->byteOrderMark;
        if (model == &texts[Mine])
            startBytes();
    }

    // Appends `span` lines of one text; false (and error() says why) when a line cannot be
    // written in the result's encoding.
    bool addLines(Which which, LineSpan span, bool betweenMarkers) {
        const SourceText &t = m_texts[which];
        const bool keepBytes =
            t.encoding == m_encoding ||
            (t.sevenBit && isAsciiCompatible(t.encoding) && isAsciiCompatible(m_encoding));
        for (qsizetype k = span.first; k < span.end(); ++k) {
            const SourceLine &line = t.lines[size_t(k)];
            closeOpenLine();
            if (keepBytes) {
                m_bytes += QByteArrayView(t.bytes).sliced(line.byteStart, line.textBytes);
            } else if (const std::optional<QByteArray> encoded =
                           encodeText(m_encoding, line.text)) {
                m_bytes += *encoded;
            } else {
                m_error = QStringLiteral("%1 の %2 行目に %3 で書けない文字があります")
                              .arg(m_labels[which])
                              .arg(k + 1)
                              .arg(m_encoding);
                return false;
            }
            End end = line.end;
            if (which != Mine && end != End::None && end == t.usualEnd)
                end = m_usualEnd;
            if (end == End::None && betweenMarkers)
                end = m_usualEnd;
            m_bytes += encodeEnd(m_encoding, end);
            m_openLine = end == End::None;
        }
        return true;
    }

    // A marker line ("<<<<<<< MINE"), with the label of `which` unless it is "=======".
    void addMarker(const char *marker, std::optional<Which> which = std::nullopt) {
        closeOpenLine();
        QString text = QString::fromLatin1(marker);
        if (which)
            text += QLatin1Char(' ') + m_labels[*which];
        std::optional<QByteArray> encoded = encodeText(m_encoding, text);
        if (!encoded)
            encoded = encodeText(m_encoding, asciiLabel(text));
        m_bytes += encoded.value_or(QByteArray());
        m_bytes += encodeEnd(m_encoding, m_usualEnd);
    }

    QByteArray take() { return std::move(m_bytes); }
    QString error() const { return m_error; }

private:
    void startBytes() {
        if (!m_started)
            m_bytes += m_mark;
        m_started = true;
    }

    // Nothing is written on the line of a last line without an end.
    void closeOpenLine() {
        startBytes();
        if (m_openLine)
            m_bytes += encodeEnd(m_encoding, m_usualEnd);
        m_openLine = false;
    }

    const SourceText (&m_texts)[3];
    QString m_labels[3];
    QString m_encoding;
    End m_usualEnd = End::Lf;
    QByteArray m_bytes;
    bool m_openLine = false;
    QByteArray m_mark;
    bool m_started = false;
    QString m_error;
};

} // namespace

MergedText mergeTexts(const QByteArray &mine, const QByteArray &older, const QByteArray &yours,
                      const MergeLabels &labels) {
    QString encodings[3];
    agreeOnEncodings({&mine, &older, &yours}, encodings);
    const SourceText texts[3] = {readSourceText(mine, encodings[Mine]),
                                 readSourceText(older, encodings[Older]),
                                 readSourceText(yours, encodings[Yours])};
    // One class number for each distinct line of the three texts; a last line without an end
    // is another line than the same text with one. A line whose bytes did not all decode is
    // known by its bytes, so that two different broken lines are not taken for one.
    QHash<QString, int> classOf[4];
    int classCount = 0;
    std::vector<int> classes[3];
    for (int f = 0; f < 3; ++f) {
        classes[f].reserve(texts[f].lines.size());
        for (const SourceLine &line : texts[f].lines) {
            const bool broken = line.text.contains(QChar(QChar::ReplacementCharacter));
            QHash<QString, int> &known =
                classOf[(line.end == End::None ? 1 : 0) + (broken ? 2 : 0)];
            const QString key = broken ? QString::fromLatin1(texts[f].lineBytes(line)) : line.text;
            auto it = known.constFind(key);
            if (it == known.constEnd())
                it = known.insert(key, classCount++);
            classes[f].push_back(*it);
        }
    }

    MergedText result;
    MergeWriter out(texts, labels);
    bool ok = true;
    for (const MergeRegion &r : mergeThreeWay(classes[Mine], classes[Older], classes[Yours])) {
        switch (r.kind) {
        case MergeRegion::Unchanged:
        case MergeRegion::MineChanged:
        case MergeRegion::BothChanged:
            ok = out.addLines(Mine, r.mine, false);
            break;
        case MergeRegion::YoursChanged:
            ok = out.addLines(Yours, r.yours, false);
            break;
        case MergeRegion::Conflict:
            ++result.conflicts;
            out.addMarker("<<<<<<<", Mine);
            ok = out.addLines(Mine, r.mine, true);
            out.addMarker("|||||||", Older);
            ok = ok && out.addLines(Older, r.older, true);
            out.addMarker("=======");
            ok = ok && out.addLines(Yours, r.yours, true);
            out.addMarker(">>>>>>>", Yours);
            break;
        }
        if (!ok) {
            result.error = out.error();
            result.conflicts = 0;
            return result;
        }
    }
    result.bytes = out.take();
    return result;
}

MergeFilesResult mergeFiles(const QString &mine, const QString &older, const QString &yours,
                            const QString &output) {
    MergeFilesResult result;
    QByteArray bytes[3];
    const QString paths[3] = {mine, older, yours};
    for (int f = 0; f < 3; ++f) {
        WholeFile file = readWholeFile(paths[f], MaxComparedFileBytes);
        if (!file.ok()) {
            result.error = file.problemText(paths[f]);
            return result;
        }
        bytes[f] = std::move(file.bytes);
    }
    const MergedText merged = mergeTexts(bytes[0], bytes[1], bytes[2], {mine, older, yours});
    if (!merged.ok()) {
        result.error = merged.error;
        return result;
    }
    if (const WriteResult written = writeWholeFile(output, merged.bytes); !written) {
        result.error = QStringLiteral("書き込めません: %1 (%2)").arg(output, written.cause);
        return result;
    }
    result.conflicts = merged.conflicts;
    result.status = merged.conflicts > 0 ? MergeFilesResult::Conflicts : MergeFilesResult::Clean;
    return result;
}
