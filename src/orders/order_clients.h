#pragma once

#include "platform/db/connection.h"
#include "platform/files/message_sink.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace velmora::orders {

// A client of the register AllClientZakaz, with the order tab's fields.
struct OrderClient {
    QString name;    // ComboBox_Client
    QString phone;   // Edit_Phone
    QString address; // Edit_Address
    QString note;    // Edit_Text
    bool operator==(const OrderClient&) const = default;
};

// The register keeps names of at most this many characters.
inline constexpr int kClientNameLength = 50;

// Every client name of the register, in name order.
QStringList ClientNames(db::Connection& orderDb);
// The register row of a name (compared without case); none when absent.
std::optional<OrderClient> FindClient(db::Connection& orderDb, const QString& name);
// Adds a row, the name cut to 50 characters. An empty name never enters the
// register: false, nothing written.
bool AddClient(db::Connection& orderDb, const OrderClient& client);
// Writes phone, address and note of the row of that name.
void UpdateClient(db::Connection& orderDb, const OrderClient& client);
void DeleteClient(db::Connection& orderDb, const QString& name);

// The entries of the client list (an empty first entry, then the register's
// names) and the one to select: the entry equal to the name (without case),
// a name not in the register appended, the empty entry for an empty name.
struct ClientList {
    QStringList entries;
    int selected = 0;
};
ClientList BuildClientList(const QStringList& registerNames, const QString& name);

// "Запомнить в базе" and the export buttons: a new name is added; a known
// name whose fields differ is updated when the user agrees.
void SaveOrderClient(db::Connection& orderDb, const OrderClient& client, const Question& ask);
// "Изменить в базе": a known name is updated at once; an unknown one is
// added when the user agrees. Returns false when nothing was changed.
bool EditOrderClient(db::Connection& orderDb, const OrderClient& client, const Question& ask);
// "Выбрать из базы": true when the name is in the register, else the user
// is told and false.
bool SelectOrderClient(db::Connection& orderDb, const QString& name, const MessageSink& tell);
// "Удалить из базы": deletes the name's rows when the user agrees; true
// when deleted.
bool DeleteOrderClient(db::Connection& orderDb, const QString& name, const Question& ask);

} // namespace velmora::orders
