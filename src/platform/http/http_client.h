#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>

namespace velmora::http {

struct HttpOptions {
    // Time allowed to reach the server, and for the whole exchange including
    // redirects; the caller's thread waits at most the total.
    std::chrono::milliseconds connectTimeout{5000};
    std::chrono::milliseconds totalTimeout{15000};
    // Sent as User-Agent; empty means the program's own file name.
    QString userAgent;
    // A body longer than this is refused rather than held in memory.
    qsizetype maxBodyBytes = 8 * 1024 * 1024;
};

// The outcome of one GET. A failure never carries a partial body: body is
// empty and error says what went wrong (unreachable host, timeout, HTTP
// status of 400 or more, cut-off transfer, oversized body).
struct HttpResult {
    QByteArray body;
    QString error;
    long status = 0; // the final HTTP status, 0 when no answer came

    bool ok() const { return error.isEmpty(); }
};

// One HTTP(S) GET of url, following redirects (http and https only). The
// system's proxy variables (http_proxy, no_proxy ...) are honoured. Safe to
// call from any thread; never throws.
HttpResult HttpGetText(const QString& url, const HttpOptions& options = {});

} // namespace velmora::http
