#pragma once

#include "platform/files/message_sink.h"

#include <QString>
#include <QUrl>

#include <functional>

namespace velmora {

// The address a supplier's web label opens: the label's text as an http,
// https or mailto URL ("http://" is put in front of a text without a
// scheme). Any other scheme (file:, javascript:, a program path ...) and an
// empty or malformed text give an invalid URL, which must not be opened.
QUrl SupplierAddressUrl(const QString& labelText);

// The message shown when the address cannot be opened.
QString SupplierAddressFailureText(const QString& labelText);

// Label_siteClick / Label_webClick: an empty label does nothing; an address
// that may be opened goes to `open` (the window passes the desktop's
// handler); a refused address or a failed open shows the failure message.
void OpenSupplierAddress(const QString& labelText, const MessageSink& messages,
                         const std::function<bool(const QUrl&)>& open);

} // namespace velmora
