#include "platform/FileUrl.h"

#include "platform/NativePath.h"

QString localPathOf(const QUrl &url) {
    if (!url.isLocalFile())
        return QString();
    const QByteArray bytes =
        QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    const QString path = decodeNativeName(bytes);
    // A host names a share: "//host/path", as Qt gives it.
    return url.host().isEmpty() ? path : QStringLiteral("//") + url.host() + path;
}

QUrl fileUrlOf(const QString &path) {
    const QByteArray bytes = encodeNativeName(path);
    if (QString::fromUtf8(bytes) == path)
        return QUrl::fromLocalFile(path);
    return QUrl::fromEncoded("file://" + bytes.toPercentEncoding("/"));
}
