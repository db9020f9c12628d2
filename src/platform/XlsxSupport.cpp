#include "platform/XlsxSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <filesystem>

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

namespace {

QString createTempBeside(const QString &path) {
    const QFileInfo target(path);
    const QString stem = target.absolutePath() + QStringLiteral("/.") + target.fileName() + u'.';
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QString name = stem + QString::number(QRandomGenerator::global()->generate(), 36) +
                             QStringLiteral(".tmp");
        QFile file(name);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return name;
        if (!QFileInfo::exists(name))
            break; // not a name clash: the folder is missing or closed to us
    }
    return QString();
}

} // namespace

Replacement replacementFor(const QString &path) {
    const QFileInfo info(path);
    const QString target = info.isSymLink() ? info.symLinkTarget() : path;
    return {target, createTempBeside(target)};
}

bool moveIntoPlace(const QString &temp, const QString &path) {
    const QFileInfo target(path);
    if (target.isFile())
        QFile::setPermissions(temp, target.permissions());
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(temp.toStdU16String()),
                            std::filesystem::path(path.toStdU16String()), error);
    return !error;
}

} // namespace XlsxSupport
