#include "platform/HttpFetch.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <climits>

namespace {

// The whole transfer may take this many times the idle timeout before it is given up.
constexpr int WholeTransferFactor = 10;
// How often the stop check is asked while the transfer runs.
constexpr int StopPollMs = 20;

bool isWebScheme(const QString &scheme) {
    return scheme == u"http" || scheme == u"https";
}

// Errors Qt raises for an HTTP status it got from the server. The body that came with such
// a status is the page we compare.
bool isStatusError(QNetworkReply::NetworkError e) {
    return (e >= QNetworkReply::ContentAccessDenied && e <= QNetworkReply::UnknownContentError) ||
           (e >= QNetworkReply::InternalServerError && e <= QNetworkReply::UnknownServerError) ||
           e == QNetworkReply::ProtocolInvalidOperationError;
}

// The words for a failure before any answer came.
QString failureText(QNetworkReply::NetworkError e, const QString &detail) {
    switch (e) {
    case QNetworkReply::ConnectionRefusedError:
        return HttpText::CannotConnect;
    case QNetworkReply::HostNotFoundError:
        return HttpText::HostNotFound;
    case QNetworkReply::SslHandshakeFailedError:
        return HttpText::TlsFailed;
    case QNetworkReply::TimeoutError:
        return HttpText::NoResponse;
    default:
        return HttpText::Failed + QStringLiteral(": ") + detail;
    }
}

} // namespace

HttpResult httpGet(const QString &address, int timeoutMs, qint64 maxBody,
                   const std::function<bool()> &stop) {
    HttpResult result;
    const QUrl url(address.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() || !(isWebScheme(scheme) || scheme == u"ftp")) {
        result.error = HttpText::BadAddress;
        return result;
    }
    if (!QCoreApplication::instance()) {
        result.error = HttpText::NoEventLoop;
        return result;
    }
    timeoutMs = std::max(1, timeoutMs);

    enum class Stop { None, Timeout, TooSlow, TooLarge, Asked };
    Stop why = Stop::None;
    QByteArray body;
    QEventLoop loop;
    QTimer idle;
    idle.setSingleShot(true);
    idle.setInterval(timeoutMs);
    QTimer whole;
    whole.setSingleShot(true);
    whole.setInterval(int(std::min<qint64>(qint64(timeoutMs) * WholeTransferFactor, INT_MAX)));

    QNetworkAccessManager manager;
    QNetworkRequest request(url);
    // Qt itself refuses redirects to anything but http and https; this also refuses a step
    // down from https to http.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(HttpMaxRedirects);
    QNetworkReply *reply = manager.get(request);

    const auto abortWith = [&](Stop reason) {
        if (why == Stop::None)
            why = reason;
        reply->abort();
    };
    const auto take = [&] {
        body += reply->readAll();
        if (body.size() > maxBody)
            abortWith(Stop::TooLarge);
    };
    QObject::connect(reply, &QNetworkReply::metaDataChanged, &loop, [&] {
        idle.start();
        // A declared length over the limit is refused before any of it is read.
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > maxBody)
            abortWith(Stop::TooLarge);
    });
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, [&] {
        idle.start();
        take();
    });
    QObject::connect(reply, &QNetworkReply::downloadProgress, &loop, [&] { idle.start(); });
    // A redirect's own body is not the page.
    QObject::connect(reply, &QNetworkReply::redirected, &loop, [&] {
        idle.start();
        body.clear();
    });
    QObject::connect(&idle, &QTimer::timeout, &loop, [&] { abortWith(Stop::Timeout); });
    QObject::connect(&whole, &QTimer::timeout, &loop, [&] { abortWith(Stop::TooSlow); });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer poll;
    poll.setInterval(StopPollMs);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (stop())
            abortWith(Stop::Asked);
    });

    idle.start();
    whole.start();
    if (stop)
        poll.start();
    // quit() before exec() would be lost, so only wait for a reply that is still running.
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    idle.stop();
    whole.stop();
    poll.stop();
    if (why == Stop::None)
        take();

    const QNetworkReply::NetworkError error = reply->error();
    const bool answered = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
    const QString errorText = reply->errorString();
    reply->disconnect();
    delete reply;

    switch (why) {
    case Stop::Asked:
        result.stopped = true;
        result.error = HttpText::Stopped;
        return result;
    case Stop::Timeout:
        result.error = HttpText::NoResponse;
        return result;
    case Stop::TooSlow:
        result.error = HttpText::TooSlow;
        return result;
    case Stop::TooLarge:
        result.error = HttpText::TooLarge;
        return result;
    case Stop::None:
        break;
    }
    if (error != QNetworkReply::NoError && !(answered && isStatusError(error))) {
        result.error = failureText(error, errorText);
        return result;
    }
    result.ok = true;
    result.body = body;
    return result;
}
