#pragma once

#include <QByteArray>
#include <QString>

#include <unicode/ucnv.h>

// Test inputs in a given charset, produced by ICU's one-shot converter rather than by the
// code under test.
inline QByteArray encodedAs(const char *charset, const QString &text) {
    const QByteArray utf8 = text.toUtf8();
    QByteArray out(utf8.size() * 4 + 16, '\0');
    UErrorCode status = U_ZERO_ERROR;
    const int32_t n = ucnv_convert(charset, "UTF-8", out.data(), int32_t(out.size()),
                                   utf8.constData(), int32_t(utf8.size()), &status);
    if (U_FAILURE(status))
        return {};
    out.resize(n);
    return out;
}

inline QByteArray repeated(const QByteArray &unit, int times) {
    QByteArray out;
    for (int k = 0; k < times; ++k)
        out += unit;
    return out;
}

// Bytes a strict decoder of the charset accepts: no invalid or unassigned sequence anywhere.
inline bool decodesStrictly(const char *charset, const QByteArray &bytes) {
    UErrorCode status = U_ZERO_ERROR;
    UConverter *cnv = ucnv_open(charset, &status);
    ucnv_setToUCallBack(cnv, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    QByteArray out(bytes.size() * 4 + 16, '\0');
    ucnv_toUChars(cnv, reinterpret_cast<UChar *>(out.data()), int32_t(out.size() / 2),
                  bytes.constData(), int32_t(bytes.size()), &status);
    ucnv_close(cnv);
    return U_SUCCESS(status);
}
