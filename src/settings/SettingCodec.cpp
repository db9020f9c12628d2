#include "settings/SettingCodec.h"

#include <QList>
#include <QStringView>

#include <optional>

namespace {

// Any fixed value serves; both directions must use the same one.
constexpr unsigned ScrambleKey = 0x5A;

int hexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    return -1;
}

std::optional<unsigned> hexByte(QStringView piece) {
    if (piece.isEmpty() || piece.size() > 2)
        return std::nullopt;
    unsigned value = 0;
    for (QChar ch : piece) {
        const int digit = hexDigit(ch.unicode());
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + unsigned(digit);
    }
    return value;
}

} // namespace

QString fEncodeSetting(const QString &text) {
    QString out;
    out.reserve(text.size() * 6);
    for (QChar ch : text) {
        const unsigned u = ch.unicode();
        for (unsigned b : {u & 0xFFu, u >> 8}) {
            out += u'&';
            out += QString::number(b ^ ScrambleKey, 16).toUpper();
        }
    }
    return out;
}

QString fDecodeSetting(const QString &encoded) {
    if (encoded.size() <= 1)
        return QString();
    const QList<QStringView> pieces = QStringView(encoded).mid(1).split(u'&');
    QString out;
    out.reserve(pieces.size() / 2);
    // Pieces pair up by position, so one damaged byte costs only its own character.
    for (qsizetype i = 0; i + 1 < pieces.size(); i += 2) {
        const auto lo = hexByte(pieces[i]);
        const auto hi = hexByte(pieces[i + 1]);
        if (!lo || !hi)
            continue;
        out += QChar(char16_t((*lo ^ ScrambleKey) | ((*hi ^ ScrambleKey) << 8)));
    }
    return out;
}
