#include "http_client.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QUrl>

#include <curl/curl.h>

#include <memory>
#include <mutex>

namespace velmora::http {
namespace {

void initialiseCurlOnce()
{
    // curl_global_init is not thread-safe on older libcurl builds; one call
    // for the process, never undone (the process ends with it).
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

QString defaultUserAgent()
{
    if (QCoreApplication::instance()) {
        const QString name = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
        if (!name.isEmpty())
            return name;
    }
    return QStringLiteral("velmora");
}

struct Sink {
    QByteArray body;
    qsizetype limit = 0;
    bool overflow = false;
};

size_t appendBody(char* data, size_t size, size_t count, void* user)
{
    auto* sink = static_cast<Sink*>(user);
    const size_t bytes = size * count;
    if (sink->body.size() + qsizetype(bytes) > sink->limit) {
        sink->overflow = true;
        return 0; // makes curl stop with a write error
    }
    sink->body.append(data, qsizetype(bytes));
    return bytes;
}

struct CurlDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};

// What a user reads first; empty where only the library's own words say
// what went wrong.
QString russianReason(CURLcode code)
{
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY: return QStringLiteral("Адрес сервера не найден");
    case CURLE_COULDNT_CONNECT: return QStringLiteral("Не удалось подключиться к серверу");
    case CURLE_OPERATION_TIMEDOUT: return QStringLiteral("Сервер не ответил вовремя");
    case CURLE_URL_MALFORMAT:
    case CURLE_UNSUPPORTED_PROTOCOL: return QStringLiteral("Неверный адрес");
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION: return QStringLiteral("Не удалось установить защищённое соединение");
    case CURLE_TOO_MANY_REDIRECTS: return QStringLiteral("Слишком много перенаправлений");
    default: return {};
    }
}

HttpResult failure(const QString& error, long status = 0)
{
    HttpResult result;
    result.error = error;
    result.status = status;
    return result;
}

} // namespace

HttpResult HttpGetText(const QString& url, const HttpOptions& options)
{
    initialiseCurlOnce();
    std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (!curl)
        return failure(QStringLiteral("Не удалось начать загрузку (libcurl could not be initialised)"));

    const QByteArray urlBytes = url.toUtf8();
    const QByteArray agent = (options.userAgent.isEmpty() ? defaultUserAgent() : options.userAgent).toUtf8();
    Sink sink;
    sink.limit = options.maxBodyBytes;

    CURL* h = curl.get();
    curl_easy_setopt(h, CURLOPT_URL, urlBytes.constData());
    curl_easy_setopt(h, CURLOPT_USERAGENT, agent.constData());
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, long(options.connectTimeout.count()));
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, long(options.totalTimeout.count()));
    // No signals: timeouts must work on worker threads too.
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, appendBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &sink);

    const CURLcode code = curl_easy_perform(h);
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);

    if (sink.overflow)
        return failure(QStringLiteral("Ответ сервера слишком велик (%1: the answer is larger than %2 bytes)")
                           .arg(QUrl(url).host())
                           .arg(options.maxBodyBytes),
                       status);
    if (code != CURLE_OK) {
        // The host, and the library's short words where no Russian sentence
        // says it: the whole address and the library's long sentence would
        // push the text out of the status bar.
        const QString host = QUrl(url).host().isEmpty() ? url : QUrl(url).host();
        const QString reason = russianReason(code);
        if (!reason.isEmpty())
            return failure(QStringLiteral("%1 (%2)").arg(reason, host), status);
        return failure(QStringLiteral("Ошибка при получении данных с сервера (%1: %2)")
                           .arg(host, QString::fromUtf8(curl_easy_strerror(code))),
                       status);
    }
    if (status >= 400)
        return failure(QStringLiteral("Сервер ответил ошибкой %1 (%2: HTTP %1)").arg(status).arg(QUrl(url).host()), status);

    HttpResult result;
    result.body = std::move(sink.body);
    result.status = status;
    return result;
}

} // namespace velmora::http
