#include "platform/XlsxSupport.h"

namespace XlsxSupport {

lxw_color_t fillOf(Color color) {
    if (color > 0xFFFFFFu)
        return NoFill;
    const lxw_color_t rgb = ((color & 0xFFu) << 16) | (color & 0xFF00u) | ((color >> 16) & 0xFFu);
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
