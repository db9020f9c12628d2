#include "platform/XlsxSupport.h"

#include "platform/NativePath.h"

namespace XlsxSupport {

lxw_color_t fillOf(quint32 bgr) {
    if (bgr > 0xFFFFFFu)
        return NoFill;
    const lxw_color_t rgb = ((bgr & 0xFFu) << 16) | (bgr & 0xFF00u) | ((bgr >> 16) & 0xFFu);
    // The library reads 0 as "no colour"; black has a code of its own.
    return rgb == 0 ? lxw_color_t(LXW_COLOR_BLACK) : rgb;
}

const char *CellText::utf8(QStringView text) {
    // The bytes of a name that is not UTF-8 show as U+FFFD, as a file manager shows them.
    QString shown;
    if (hasForeignBytes(text)) {
        shown = shownName(text);
        text = shown;
    }
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

WriteResult writeWorkbook(const QString &path, const std::function<bool(lxw_workbook *)> &fill,
                          const QString &failed, bool scratchBeside,
                          const std::function<bool(const QString &written)> &finish) {
    AtomicFile file(path);
    if (!file.open())
        return file.result();
    QByteArray scratch = nativePathBytes(parentFolderOf(file.targetPath()));
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    if (scratchBeside)
        options.tmpdir = scratch.data();
    const QString temp = file.handOver();
    const QByteArray tempName = nativePathBytes(temp);
    lxw_workbook *book = workbook_new_opt(tempName.constData(), &options);
    bool ok = false;
    if (book) {
        try {
            ok = fill(book);
        } catch (const std::exception &) {
            ok = false; // out of memory: the workbook still has to be closed and freed
        }
        // Closing also frees the workbook, so it runs after a failed write too.
        const lxw_error closed = workbook_close(book);
        if (closed != LXW_NO_ERROR && ok) {
            file.cancel();
            return WriteResult::failure(QString::fromUtf8(lxw_strerror(closed)));
        }
    }
    if (ok && finish)
        ok = finish(temp);
    if (!ok) {
        file.cancel();
        return WriteResult::failure(failed);
    }
    file.commit();
    return file.result();
}

} // namespace XlsxSupport
