#pragma once

#include <QString>
#include <QUrl>

namespace velmora {

// The address a supplier's web label opens: the label's text as an http,
// https or mailto URL ("http://" is put in front of a text without a
// scheme). Any other scheme (file:, javascript:, a program path ...) and an
// empty or malformed text give an invalid URL, which must not be opened.
QUrl SupplierAddressUrl(const QString& labelText);

// The message shown when the address cannot be opened.
QString SupplierAddressFailureText(const QString& labelText);

} // namespace velmora
