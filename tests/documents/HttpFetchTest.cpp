#include "platform/HttpFetch.h"

#include "documents/DocumentFixtures.h"
#include "support/HangGuard.h"

#include <QCoreApplication>
#include <QHash>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace {

// The downloads run a local event loop, which needs an application object.
void ensureApplication() {
    static int argc = 1;
    static char name[] = "test_documents";
    static char *argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv);
}

// A local server answering each request path with fixed bytes, then closing the connection.
// Paths it does not know get a 404 page.
class FakeServer {
public:
    enum class Mode { Answer, Silent, CloseAtOnce, Trickle };

    explicit FakeServer(Mode mode = Mode::Answer) : m_mode(mode) {
        ensureApplication();
        EXPECT_TRUE(m_server.listen(QHostAddress::LocalHost, 0));
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] { accept(); });
    }

    void on(const QByteArray &path, const QByteArray &response) {
        m_responses.insert(path, response);
    }
    QString url(const QString &path) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path);
    }
    int requests() const { return m_requests; }

private:
    void accept() {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            if (m_mode == Mode::CloseAtOnce) {
                socket->close();
                continue;
            }
            auto request = std::make_shared<QByteArray>();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, request] {
                *request += socket->readAll();
                if (!request->contains("\r\n\r\n"))
                    return;
                ++m_requests;
                const QByteArray path = request->split(' ').value(1);
                request->clear();
                answer(socket, path);
            });
        }
    }

    void answer(QTcpSocket *socket, const QByteArray &path) {
        if (m_mode == Mode::Silent)
            return;
        if (m_mode == Mode::Trickle) {
            socket->write("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n");
            auto *timer = new QTimer(socket);
            QObject::connect(timer, &QTimer::timeout, socket, [socket] { socket->write("x"); });
            timer->start(10);
            return;
        }
        socket->write(m_responses.value(path, "HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n"
                                              "Connection: close\r\n\r\nnot found"));
        socket->disconnectFromHost();
    }

    Mode m_mode;
    QTcpServer m_server;
    QHash<QByteArray, QByteArray> m_responses;
    int m_requests = 0;
};

QByteArray response(const QByteArray &status, const QByteArray &body,
                    const QByteArray &headers = {}) {
    return "HTTP/1.1 " + status + "\r\nContent-Length: " + QByteArray::number(body.size()) +
           "\r\nConnection: close\r\n" + headers + "\r\n" + body;
}

} // namespace

TEST(HttpFetch, TheBodyIsTakenWhateverTheStatus) {
    FakeServer server;
    const QByteArray sjis =
        QByteArray::fromHex("93fa967b8cea0d0a836583588367"); // 日本語 CR LF テスト
    server.on("/page", response("200 OK", sjis, "Content-Type: text/plain\r\n"));
    server.on("/error", response("500 Internal Server Error", "<html>broken</html>"));
    server.on("/empty", response("204 No Content", ""));
    server.on("/close", "HTTP/1.0 200 OK\r\n\r\nuntil the connection closes");

    HttpResult r = httpGet(server.url(QStringLiteral("/page")));
    EXPECT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.body, sjis);
    EXPECT_TRUE(r.error.isEmpty());

    r = httpGet(server.url(QStringLiteral("/missing")));
    EXPECT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.body, QByteArray("not found"));
    r = httpGet(server.url(QStringLiteral("/error")));
    EXPECT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.body, QByteArray("<html>broken</html>"));
    r = httpGet(server.url(QStringLiteral("/empty")));
    EXPECT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_TRUE(r.body.isEmpty());
    r = httpGet(server.url(QStringLiteral("/close")));
    EXPECT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.body, QByteArray("until the connection closes"));
}

TEST(HttpFetch, RedirectsAreFollowedOnlyToWebAddressesAndOnlySoFar) {
    FakeServer server;
    server.on("/page", response("200 OK", "target"));
    server.on("/old", response("301 Moved Permanently", "moved", "Location: /page\r\n"));
    server.on("/twice", response("302 Found", "", "Location: /old\r\n"));
    server.on("/loop", response("302 Found", "", "Location: /loop\r\n"));
    server.on("/local", response("302 Found", "", "Location: file:///etc/hostname\r\n"));

    HttpResult r = httpGet(server.url(QStringLiteral("/twice")));
    EXPECT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.body, QByteArray("target"));

    r = httpGet(server.url(QStringLiteral("/loop")));
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.body.isEmpty());
    // Bounded (Qt may retry a request once on a fresh connection).
    EXPECT_LE(server.requests(), 3 + 2 * (HttpMaxRedirects + 1));

    r = httpGet(server.url(QStringLiteral("/local")));
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.body.isEmpty());
}

// The outcomes do not hang on the machine's speed: a server that never answers is given up at
// the timeout whenever that comes, and the others fail by what they do, long before theirs.
TEST(HttpFetch, SilentOrDroppingServersFailWithinTheTimeout) {
    FakeServer silent(FakeServer::Mode::Silent);
    HttpResult r = httpGet(silent.url(QStringLiteral("/")), 2000);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, HttpText::NoResponse);
    EXPECT_EQ(silent.requests(), 1);

    FakeServer closing(FakeServer::Mode::CloseAtOnce);
    r = httpGet(closing.url(QStringLiteral("/")), HangGuardMs);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.error.startsWith(HttpText::Failed)) << r.error.toStdString();

    // Headers promise more than arrives before the connection ends.
    FakeServer cut;
    cut.on("/", "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nonly this");
    r = httpGet(cut.url(QStringLiteral("/")), HangGuardMs);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.body.isEmpty());

    // Nobody listening.
    quint16 port = 0;
    {
        QTcpServer gone;
        ASSERT_TRUE(gone.listen(QHostAddress::LocalHost, 0));
        port = gone.serverPort();
    }
    r = httpGet(QStringLiteral("http://127.0.0.1:%1/").arg(port), HangGuardMs);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, HttpText::CannotConnect);

    // A byte every 10 ms keeps the idle timer (half a second) happy, but not the transfer as
    // a whole (ten times that).
    FakeServer trickle(FakeServer::Mode::Trickle);
    r = httpGet(trickle.url(QStringLiteral("/")), 500);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, HttpText::TooSlow); // not the same as no answer at all
}

TEST(HttpFetch, BodiesOverTheLimitAreRefused) {
    FakeServer server;
    server.on("/declared", "HTTP/1.1 200 OK\r\nContent-Length: 999999999999\r\n\r\nx");
    server.on("/streamed", "HTTP/1.0 200 OK\r\n\r\n" + QByteArray(300000, 'x'));
    server.on("/fits", response("200 OK", QByteArray(1000, 'y')));

    HttpResult r = httpGet(server.url(QStringLiteral("/declared")), HangGuardMs);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, HttpText::TooLarge);
    r = httpGet(server.url(QStringLiteral("/streamed")), HangGuardMs, 100000);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, HttpText::TooLarge);
    EXPECT_TRUE(r.body.isEmpty());
    r = httpGet(server.url(QStringLiteral("/fits")), HangGuardMs, 1000);
    EXPECT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.body.size(), 1000);
}

TEST(HttpFetch, OnlyWebAddressesAreFetched) {
    ensureApplication();
    for (const char *address :
         {"file:///etc/passwd", "/etc/passwd", "javascript:alert(1)", "", "http://",
          "data:text/plain,x", "gopher://127.0.0.1/", "http://exa mple.com/"}) {
        const HttpResult r = httpGet(QString::fromLatin1(address), 300);
        EXPECT_FALSE(r.ok) << address;
        EXPECT_EQ(r.error, HttpText::BadAddress) << address;
        EXPECT_TRUE(r.body.isEmpty());
    }
}

// A server that accepts and never answers: a stop ends the wait at once, well before the
// timeout, and nothing passes for a page.
TEST(HttpFetch, StopEndsAWaitForASilentServer) {
    FakeServer silent(FakeServer::Mode::Silent);
    int askedWhileWaiting = 0;
    const HttpResult r = httpGet(silent.url(QStringLiteral("/")), HangGuardMs, HttpMaxBody,
                                 [&] { return silent.requests() > 0 && ++askedWhileWaiting == 3; });
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.stopped); // not the timeout
    EXPECT_EQ(r.error, HttpText::Stopped);
    EXPECT_TRUE(r.body.isEmpty());
    EXPECT_EQ(askedWhileWaiting, 3);
}
