#include "platform/Paths.h"

#include "platform/NativePath.h"

#include <QDateTime>
#include <QFileInfo>
#include <QUrl>

PathKind fPathKind(const QString &path) {
    if (path.isEmpty())
        return PathNone;
    NativeStat st;
    if (!nativeStat(path, &st))
        return PathNone;
    return st.isDir ? PathFolder : PathFile;
}

bool fFileExists(const QString &path) {
    return fPathKind(path) != PathNone;
}

QString lowerExtension(const QString &path) {
    // Only the file name counts: a dot in a folder name is no extension.
    const QString name = fileNameOf(path);
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return QString();
    return name.mid(dot + 1).toLower();
}

DocumentKind documentKindOf(const QString &lowerExt) {
    if (lowerExt == u"docx" || lowerExt == u"docm" || lowerExt == u"dotx" || lowerExt == u"dotm")
        return DocumentKind::Word;
    if (lowerExt == u"odt" || lowerExt == u"ott")
        return DocumentKind::OpenDocument;
    if (lowerExt == u"doc" || lowerExt == u"dot")
        return DocumentKind::WordBinary;
    if (lowerExt == u"pptx" || lowerExt == u"pptm" || lowerExt == u"ppsx" || lowerExt == u"ppsm" ||
        lowerExt == u"potx" || lowerExt == u"potm")
        return DocumentKind::Slides;
    if (lowerExt == u"odp" || lowerExt == u"otp")
        return DocumentKind::OpenDocumentSlides;
    if (lowerExt == u"rtf")
        return DocumentKind::RichText;
    return DocumentKind::None;
}

WorkbookKind workbookKindOf(const QString &lowerExt) {
    if (lowerExt == u"xlsx" || lowerExt == u"xlsm" || lowerExt == u"xltx" || lowerExt == u"xltm")
        return WorkbookKind::OpenXml;
    if (lowerExt == u"xls")
        return WorkbookKind::Binary;
    if (lowerExt == u"ods" || lowerExt == u"ots")
        return WorkbookKind::OpenDocument;
    if (lowerExt == u"csv")
        return WorkbookKind::Csv;
    return WorkbookKind::None;
}

bool isWorkbookExtension(const QString &lowerExt) {
    const WorkbookKind kind = workbookKindOf(lowerExt);
    return kind != WorkbookKind::None && kind != WorkbookKind::Csv;
}

bool isDocumentExtension(const QString &lowerExt) {
    return documentKindOf(lowerExt) != DocumentKind::None;
}

QString fGetExtension(const QString &path) {
    const qsizetype dot = path.lastIndexOf(u'.');
    return dot < 0 ? QString() : path.mid(dot + 1);
}

QString fileNameOf(const QString &path) {
    return QFileInfo(path).fileName();
}

bool isWebAddress(const QString &path) {
    const QUrl url(path, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty())
        return false;
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
           scheme == QLatin1String("ftp");
}

QString modificationText(const QString &path) {
    return modificationTime(path).toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}

bool isNullDevice(const QString &path) {
#ifdef Q_OS_WIN
    return path.compare(QLatin1String("NUL"), Qt::CaseInsensitive) == 0;
#else
    return path == QLatin1String("/dev/null");
#endif
}
