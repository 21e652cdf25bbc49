#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace velmora::testing {

// A tiny HTTP/1.1 server on 127.0.0.1 and an ephemeral port, on its own
// thread, so that code under test may block in a download on the test's
// thread. Each request is answered from the route whose path is the
// longest prefix of the request's path (query included).
class LocalHttpServer {
public:
    enum class Mode {
        Answer,   // status and body, with a correct Content-Length
        Hang,     // reads the request and never answers
        Truncate, // announces a longer body than it sends, then closes
        Redirect, // 302 to `location`
    };
    struct Route {
        Route(int status_ = 200, QByteArray body_ = {}, Mode mode_ = Mode::Answer, QByteArray location_ = {})
            : status(status_), body(std::move(body_)), mode(mode_), location(std::move(location_)) {}

        int status = 200;
        QByteArray body;
        Mode mode = Mode::Answer;
        QByteArray location;
    };

    LocalHttpServer();
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    void setRoute(const QString& pathPrefix, const Route& route);
    QString baseUrl() const;
    // Request targets (path and query) in arrival order.
    QStringList requests() const;

private:
    void run();
    void serve(int client);

    int listener_ = -1;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    quint16 port_ = 0;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::map<QString, Route> routes_;
    QStringList requests_;
    std::vector<int> held_;
    std::thread thread_;
};

} // namespace velmora::testing
