#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// Texts of a failed download.
namespace HttpText {
inline const QString BadAddress = QStringLiteral("取得できないアドレスです");
inline const QString NoResponse = QStringLiteral("応答がありません");
inline const QString TooSlow = QStringLiteral("応答が遅すぎます");
inline const QString CannotConnect = QStringLiteral("接続できません");
inline const QString HostNotFound = QStringLiteral("サーバーが見つかりません");
inline const QString TlsFailed = QStringLiteral("SSL/TLS の接続に失敗しました");
inline const QString TooLarge = QStringLiteral("大きすぎます");
inline const QString Failed = QStringLiteral("取得に失敗しました");
inline const QString NoEventLoop = QStringLiteral("アプリケーションが起動していません");
inline const QString Stopped = QStringLiteral("中断しました");
} // namespace HttpText

struct HttpResult {
    bool ok = false;
    bool stopped = false; // the stop check ended the transfer (error says so too)
    QByteArray body;
    QString error;
};

// Largest response body taken in.
constexpr qint64 HttpMaxBody = qint64(256) * 1024 * 1024;
// Redirects followed before the request fails.
constexpr int HttpMaxRedirects = 5;

// One synchronous GET of an http, https or ftp address, run in a local event loop (needs a
// QCoreApplication; user input is held back meanwhile, so a window cannot start a second run
// from inside this one). Redirects are followed (at most HttpMaxRedirects, never to another
// scheme than http or https). Whatever body the server sends counts, whatever the HTTP status:
// an error page is a page. Fails when the address is not one of those schemes, the server
// cannot be found ("サーバーが見つかりません"), refuses the connection ("接続できません"), fails
// the secure handshake ("SSL/TLS の接続に失敗しました") or closes without an answer, nothing
// arrives for timeoutMs ("応答がありません"), the whole transfer takes ten times that long (a
// server that trickles: "応答が遅すぎます"), or the body passes HttpMaxBody.
// Nothing is stored: no cache, no cookies kept. maxBody lowers the body limit (for tests).
// stop (may be empty) is asked every 20 ms while the transfer runs; when it answers true the
// transfer is abandoned at once and the result is "stopped", never a partial page.
HttpResult httpGet(const QString &address, int timeoutMs = 30000, qint64 maxBody = HttpMaxBody,
                   const std::function<bool()> &stop = {});
