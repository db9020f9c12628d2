#include "run/TextSideNotes.h"

#include "encoding/EncodingNames.h"

#include <QStringList>

namespace {

QString sideWord(int side) {
    return side == 0 ? QStringLiteral("左") : QStringLiteral("右");
}

struct LineEndCounts {
    qsizetype crLf = 0;
    qsizetype lf = 0;
    qsizetype cr = 0;

    bool operator==(const LineEndCounts &) const = default;
};

LineEndCounts lineEnds(const DecodedText &found, qsizetype breaks) {
    return {found.crLf, breaks - found.crLf - found.loneCr, found.loneCr};
}

// "CRLF", "LF", "CR", or the kinds a file mixes ("CRLF+LF"); "なし" without any line break.
QString lineEndKinds(const LineEndCounts &counts) {
    QStringList kinds;
    if (counts.crLf > 0)
        kinds << QStringLiteral("CRLF");
    if (counts.lf > 0)
        kinds << QStringLiteral("LF");
    if (counts.cr > 0)
        kinds << QStringLiteral("CR");
    return kinds.isEmpty() ? QStringLiteral("なし") : kinds.join(QLatin1Char('+'));
}

QString encodingShown(const DecodedText &found) {
    return encodingCaption(found.encoding) +
           (found.byteOrderMark ? QStringLiteral(" BOM付き") : QString());
}

QString pairText(const QString &left, const QString &right) {
    return QStringLiteral(" (") + left + QStringLiteral(" / ") + right + QLatin1Char(')');
}

} // namespace

QString encodingNote(int side, const DecodedText &found) {
    const QString shownIn = sideWord(side) + QStringLiteral("を ") +
                            encodingCaption(found.encoding) + QStringLiteral(" で表示しています");
    if (found.chosen)
        return shownIn;
    if (!found.clean)
        return QStringLiteral("文字コードを判別できません: ") + shownIn;
    return {};
}

QString sameTextRemark(const DecodedText &left, qsizetype leftBreaks, const DecodedText &right,
                       qsizetype rightBreaks) {
    const LineEndCounts ends[2] = {lineEnds(left, leftBreaks), lineEnds(right, rightBreaks)};
    const bool endsDiffer = !(ends[0] == ends[1]);
    // A side the user named an encoding for may hold the very bytes of the other side.
    const bool encodingDiffers =
        !left.chosen && !right.chosen &&
        (left.encoding != right.encoding || left.byteOrderMark != right.byteOrderMark);
    const QString endPair = pairText(lineEndKinds(ends[0]), lineEndKinds(ends[1]));
    if (endsDiffer && encodingDiffers)
        return QStringLiteral("文字コードと改行コードのみ異なります") + endPair;
    if (endsDiffer)
        return QStringLiteral("改行コードのみ異なります") + endPair;
    if (encodingDiffers)
        return QStringLiteral("文字コードのみ異なります") +
               pairText(encodingShown(left), encodingShown(right));
    return {};
}
