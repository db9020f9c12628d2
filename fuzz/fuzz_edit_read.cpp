// Reading a side for editing on arbitrary bytes, in the encoding detection names and in each
// of the six: the lines are those a comparison shows, every line kept as its bytes reads as
// its text on its own, and an untouched side saves to bytes that read as its lines again.
#include "FuzzSupport.h"

#include "edit/ReadEditableText.h"
#include "edit/SaveEditableText.h"
#include "encoding/Charset.h"
#include "encoding/DetectEncoding.h"
#include "engine/LineViews.h"

namespace {

QStringList comparedLines(const QString &encoding, const QByteArray &bytes) {
    // The views lie in the text: each is copied before the text goes.
    const QString text = bytes.isEmpty() ? QString() : decodeByName(encoding, bytes);
    QStringList lines;
    for (const QString &line : LineViews::splitText(text).toList())
        lines.append(QString(line.constData(), line.size()));
    return lines;
}

void check(const QByteArray &bytes, const QString &encoding) {
    const EditableText side = editableTextFromBytes(bytes, encoding);
    const QString name = side.encoding();
    if (side.texts() != comparedLines(name, bytes))
        __builtin_trap(); // not the lines the comparison shows
    for (const EditLine &line : side.lines()) {
        if (!line.isOriginal())
            continue;
        if (line.byteStart + line.textBytes + line.endBytes > bytes.size())
            __builtin_trap();
        // A decoder drops a mark where it starts reading; in a file it belongs to its line.
        const QString alone = decodeByName(name, bytes.mid(line.byteStart, line.textBytes));
        if (alone != line.text && QChar(0xFEFF) + alone != line.text)
            __builtin_trap(); // kept bytes that do not read as the line
    }
    const SavedBytes made = editableTextBytes(side, QString());
    if (made.problem.saved()) {
        if (comparedLines(name, made.bytes) != side.texts())
            __builtin_trap(); // saved bytes read as other lines
    } else if (side.line(made.problem.line).isOriginal()) {
        __builtin_trap(); // an untouched line always goes back as it was
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes = FuzzSupport::bytes(data, size);
    check(bytes, QString());
    for (const QString &name : {EncodingName::Sjis, EncodingName::Jis, EncodingName::Euc,
                                EncodingName::Utf8, EncodingName::Utf7, EncodingName::Unicode})
        check(bytes, name);
    return 0;
}
