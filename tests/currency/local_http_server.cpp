#include "local_http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace velmora::testing {
namespace {

void sendAll(int fd, const QByteArray& data)
{
    qsizetype sent = 0;
    while (sent < data.size()) {
        const ssize_t n = ::send(fd, data.constData() + sent, size_t(data.size() - sent), MSG_NOSIGNAL);
        if (n <= 0)
            return;
        sent += n;
    }
}

QByteArray reason(int status)
{
    switch (status) {
    case 200: return "OK";
    case 302: return "Found";
    case 404: return "Not Found";
    default: return "Status";
    }
}

} // namespace

LocalHttpServer::LocalHttpServer()
{
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    if (listener_ < 0)
        throw std::runtime_error("socket() failed");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listener_, 16) != 0)
        throw std::runtime_error("bind/listen on 127.0.0.1 failed");
    socklen_t length = sizeof address;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        throw std::runtime_error("pipe() failed");
    wakeRead_ = pipeEnds[0];
    wakeWrite_ = pipeEnds[1];
    thread_ = std::thread([this] { run(); });
}

LocalHttpServer::~LocalHttpServer()
{
    stopping_ = true;
    const char byte = 0;
    (void)::write(wakeWrite_, &byte, 1);
    thread_.join();
    for (int fd : held_)
        ::close(fd);
    ::close(listener_);
    ::close(wakeRead_);
    ::close(wakeWrite_);
}

void LocalHttpServer::setRoute(const QString& pathPrefix, const Route& route)
{
    std::lock_guard lock(mutex_);
    routes_[pathPrefix] = route;
}

QString LocalHttpServer::baseUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(port_);
}

QStringList LocalHttpServer::requests() const
{
    std::lock_guard lock(mutex_);
    return requests_;
}

void LocalHttpServer::run()
{
    while (!stopping_) {
        pollfd fds[2] = {{listener_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
        if (::poll(fds, 2, 1000) <= 0 || stopping_)
            continue;
        if (fds[0].revents & POLLIN) {
            const int client = ::accept(listener_, nullptr, nullptr);
            if (client >= 0)
                serve(client);
        }
    }
}

void LocalHttpServer::serve(int client)
{
    QByteArray request;
    while (!request.contains("\r\n\r\n")) {
        pollfd fd{client, POLLIN, 0};
        if (::poll(&fd, 1, 2000) <= 0)
            break;
        char buffer[2048];
        const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        request.append(buffer, n);
    }
    const QList<QByteArray> requestLine = request.left(request.indexOf("\r\n")).split(' ');
    const QString target = requestLine.size() >= 2 ? QString::fromLatin1(requestLine[1]) : QString();

    Route route(404);
    {
        std::lock_guard lock(mutex_);
        requests_ << target;
        qsizetype best = -1;
        for (const auto& [prefix, candidate] : routes_)
            if (target.startsWith(prefix) && prefix.size() > best) {
                best = prefix.size();
                route = candidate;
            }
    }

    QByteArray head = "HTTP/1.1 " + QByteArray::number(route.status) + ' ' + reason(route.status) + "\r\n";
    switch (route.mode) {
    case Mode::Hang: {
        std::lock_guard lock(mutex_);
        held_.push_back(client);
        return;
    }
    case Mode::Redirect:
        head = "HTTP/1.1 302 Found\r\nLocation: " + route.location + "\r\nContent-Length: 0\r\n";
        sendAll(client, head + "Connection: close\r\n\r\n");
        break;
    case Mode::Truncate:
        head += "Content-Type: text/xml\r\nContent-Length: " + QByteArray::number(route.body.size() * 2 + 100) + "\r\n";
        sendAll(client, head + "Connection: close\r\n\r\n" + route.body);
        break;
    case Mode::Answer:
        head += "Content-Type: text/xml\r\nContent-Length: " + QByteArray::number(route.body.size()) + "\r\n";
        sendAll(client, head + "Connection: close\r\n\r\n" + route.body);
        break;
    }
    ::shutdown(client, SHUT_WR);
    ::close(client);
}

} // namespace velmora::testing
