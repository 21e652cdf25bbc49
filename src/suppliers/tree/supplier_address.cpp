#include "suppliers/tree/supplier_address.h"

#include <QRegularExpression>

namespace velmora {

QUrl SupplierAddressUrl(const QString& labelText)
{
    const QString text = labelText.trimmed();
    if (text.isEmpty())
        return {};
    static const QRegularExpression scheme(QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]*):"));
    const QRegularExpressionMatch m = scheme.match(text);
    QString candidate = text;
    if (m.hasMatch()) {
        const QString s = m.captured(1).toLower();
        if (s != u"http" && s != u"https" && s != u"mailto") {
            // "www.site.ru:8080/x" has no scheme, only a port.
            static const QRegularExpression hostPort(QStringLiteral("^[A-Za-z0-9.-]+\\.[A-Za-z]{2,}:\\d+(/|$)"));
            if (!hostPort.match(text).hasMatch())
                return {};
            candidate = QStringLiteral("http://") + text;
        }
    } else if (text.contains(u'@') && !text.contains(u'/')) {
        candidate = QStringLiteral("mailto:") + text;
    } else {
        candidate = QStringLiteral("http://") + text;
    }
    QUrl url(candidate, QUrl::StrictMode);
    if (!url.isValid())
        return {};
    const QString s = url.scheme().toLower();
    if (s == u"mailto")
        return url.path().isEmpty() ? QUrl() : url;
    if ((s == u"http" || s == u"https") && !url.host().isEmpty())
        return url;
    return {};
}

void OpenSupplierAddress(const QString& labelText, const MessageSink& messages,
                         const std::function<bool(const QUrl&)>& open)
{
    if (labelText.trimmed().isEmpty())
        return;
    const QUrl url = SupplierAddressUrl(labelText);
    const bool opened = url.isValid() && open && open(url);
    if (!opened && messages)
        messages(SupplierAddressFailureText(labelText));
}

QString SupplierAddressFailureText(const QString& labelText)
{
    return QStringLiteral("Не получается открыть сайт:\r") + labelText;
}

} // namespace velmora
