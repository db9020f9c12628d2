#include "platform/XlsxSupport.h"

namespace XlsxSupport {

lxw_color_t fillOf(quint32 bgr) {
    if (bgr > 0xFFFFFFu)
        return NoFill;
    const lxw_color_t rgb = ((bgr & 0xFFu) << 16) | (bgr & 0xFF00u) | ((bgr >> 16) & 0xFFu);
    // The library reads 0 as "no colour"; black has a code of its own.
    return rgb == 0 ? lxw_color_t(LXW_COLOR_BLACK) : rgb;
}

const char *CellText::utf8(QStringView text) {
    if (text.size() > MaxCellChars) {
        qsizetype n = MaxCellChars;
        if (text[n - 1].isHighSurrogate())
            --n;
        text = text.first(n);
    }
    const qsizetype need = m_encoder.requiredSpace(text.size()) + 1;
    if (m_buffer.size() < need)
        m_buffer.resize(need);
    char *end = m_encoder.appendToBuffer(m_buffer.data(), text);
    *end = '\0';
    return m_buffer.constData();
}

} // namespace XlsxSupport
