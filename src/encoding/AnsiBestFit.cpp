#include "encoding/AnsiBestFit.h"

#include "encoding/IcuConvert.h"

#include <unicode/ucnv.h>
#include <unicode/unorm2.h>
#include <unicode/uset.h>

namespace {

// Every code point the code page writes, through a round-trip mapping or a fallback.
const USet *writable() {
    static const USet *set = [] {
        UErrorCode status = U_ZERO_ERROR;
        USet *s = uset_openEmpty();
        UConverter *cnv = ucnv_open(IcuConvert::AnsiCodePage, &status);
        if (U_SUCCESS(status))
            ucnv_getUnicodeSet(cnv, s, UCNV_ROUNDTRIP_AND_FALLBACK_SET, &status);
        ucnv_close(cnv);
        if (U_FAILURE(status))
            uset_clear(s); // without the table everything becomes "?" rather than FC FC
        uset_freeze(s);
        return s;
    }();
    return set;
}

bool isWritable(UChar32 c) {
    return uset_contains(writable(), c);
}

UChar32 bestFit(UChar32 c) {
    // The JIS forms of these signs; the code page has only the full-width ones.
    switch (c) {
    case 0x00A2:
        return 0xFFE0;
    case 0x00A3:
        return 0xFFE1;
    case 0x00AC:
        return 0xFFE2;
    default:
        break;
    }
    UErrorCode status = U_ZERO_ERROR;
    const UNormalizer2 *nfd = unorm2_getNFDInstance(&status);
    UChar parts[32];
    const int32_t n = U_SUCCESS(status) ? unorm2_getDecomposition(nfd, c, parts, 32, &status) : -1;
    if (U_SUCCESS(status) && n > 0) {
        UChar32 base;
        int32_t k = 0;
        U16_NEXT(parts, k, n, base);
        if (base != c && isWritable(base))
            return base;
    }
    return U'?';
}

} // namespace

QString bestFitForAnsi(const QString &text) {
    const auto *s = reinterpret_cast<const UChar *>(text.constData());
    const qsizetype n = text.size();
    qsizetype k = 0;
    // Most text needs nothing: find the first character that needs a replacement.
    for (;;) {
        if (k == n)
            return text;
        const qsizetype at = k;
        UChar32 c;
        U16_NEXT(s, k, n, c);
        if (c >= 0x80 && !isWritable(c)) {
            k = at;
            break;
        }
    }
    QString out = text.left(k);
    out.reserve(text.size());
    while (k < n) {
        UChar32 c;
        U16_NEXT(s, k, n, c);
        if (c >= 0x80 && !isWritable(c))
            c = bestFit(c);
        if (QChar::requiresSurrogates(char32_t(c))) {
            out.append(QChar(QChar::highSurrogate(char32_t(c))));
            out.append(QChar(QChar::lowSurrogate(char32_t(c))));
        } else {
            out.append(QChar(char16_t(c)));
        }
    }
    return out;
}
