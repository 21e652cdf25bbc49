#include "local_http_server.h"

#include "platform/http/http_client.h"

#include <QElapsedTimer>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <memory>

using namespace velmora;
using velmora::testing::LocalHttpServer;

namespace {

http::HttpOptions quickOptions()
{
    http::HttpOptions options;
    options.connectTimeout = std::chrono::milliseconds(500);
    options.totalTimeout = std::chrono::milliseconds(1000);
    return options;
}

TEST(HttpGetText, BodyArrivesByteForByte)
{
    LocalHttpServer server;
    QByteArray body;
    for (int i = 0; i < 2500; ++i)
        body.append(char(i % 251)); // any byte, NUL included; not a multiple of 1024
    server.setRoute(QStringLiteral("/feed"), {200, body});
    const http::HttpResult result = http::HttpGetText(server.baseUrl() + QStringLiteral("/feed"), quickOptions());
    EXPECT_TRUE(result.ok()) << result.error.toStdString();
    EXPECT_EQ(result.status, 200);
    EXPECT_EQ(result.body, body);
}

TEST(HttpGetText, FollowsRedirects)
{
    LocalHttpServer server;
    server.setRoute(QStringLiteral("/old"), {302, {}, LocalHttpServer::Mode::Redirect, "/new"});
    server.setRoute(QStringLiteral("/new"), {200, "moved here"});
    const http::HttpResult result = http::HttpGetText(server.baseUrl() + QStringLiteral("/old"), quickOptions());
    EXPECT_TRUE(result.ok()) << result.error.toStdString();
    EXPECT_EQ(result.body, QByteArray("moved here"));
}

TEST(HttpGetText, FailuresGiveNoBodyAndAnError)
{
    LocalHttpServer server;
    server.setRoute(QStringLiteral("/missing"), {404, "<html>not here</html>"});
    server.setRoute(QStringLiteral("/cut"), {200, "<ValCurs><Valute>", LocalHttpServer::Mode::Truncate});
    server.setRoute(QStringLiteral("/silent"), {200, {}, LocalHttpServer::Mode::Hang});
    server.setRoute(QStringLiteral("/file"), {302, {}, LocalHttpServer::Mode::Redirect, "file:///etc/passwd"});

    QString closedPort;
    {
        LocalHttpServer gone;
        closedPort = gone.baseUrl();
    }
    const struct {
        const char* what;
        QString url;
    } cases[] = {
        {"404", server.baseUrl() + QStringLiteral("/missing")},
        {"cut-off body", server.baseUrl() + QStringLiteral("/cut")},
        {"no answer", server.baseUrl() + QStringLiteral("/silent")},
        {"redirect off http", server.baseUrl() + QStringLiteral("/file")},
        {"nobody listening", closedPort + QStringLiteral("/x")},
        {"not a URL", QStringLiteral("::nothing::")},
    };
    for (const auto& c : cases) {
        QElapsedTimer clock;
        clock.start();
        const http::HttpResult result = http::HttpGetText(c.url, quickOptions());
        EXPECT_FALSE(result.ok()) << c.what;
        EXPECT_FALSE(result.error.isEmpty()) << c.what;
        // A Russian sentence first, the library's detail in brackets.
        EXPECT_TRUE(result.error.contains(QRegularExpression(QStringLiteral("^[А-Яа-яЁё][^(]* \\(.+\\)$"))))
            << c.what << ": " << result.error.toStdString();
        EXPECT_TRUE(result.body.isEmpty()) << c.what;
        EXPECT_LT(clock.elapsed(), 3000) << c.what;
    }
}

TEST(HttpGetText, OversizedBodyIsRefused)
{
    LocalHttpServer server;
    server.setRoute(QStringLiteral("/big"), {200, QByteArray(64 * 1024, 'x')});
    http::HttpOptions options = quickOptions();
    options.maxBodyBytes = 1024;
    const http::HttpResult result = http::HttpGetText(server.baseUrl() + QStringLiteral("/big"), options);
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.body.isEmpty());
}

} // namespace
