#pragma once

#include "platform/files/message_sink.h"

#include <QObject>

class QLineEdit;

namespace velmora::orders {

// Lets the rate field Edit_KursDollar take digits and one decimal comma
// ("." typed goes in as ","), at most three decimals.
void InstallRateKeyFilter(QLineEdit* edit);
// Lets the order-number field Edit_ZakazNumber take digits up to 99999;
// a digit beyond that is refused with the message.
void InstallOrderNumberKeyFilter(QLineEdit* edit, MessageSink tell);

} // namespace velmora::orders
