#include "orders/order_clients.h"

namespace velmora::orders {

namespace {

QString quoted(const QString& name) { return u'"' + name + u'"'; }

} // namespace

QStringList ClientNames(db::Connection& orderDb)
{
    QStringList names;
    db::Statement select = orderDb.prepare(QStringLiteral("SELECT ClientName FROM AllClientZakaz ORDER BY ClientName"));
    while (select.step())
        names << select.text(0);
    return names;
}

std::optional<OrderClient> FindClient(db::Connection& orderDb, const QString& name)
{
    db::Statement select = orderDb.prepare(QStringLiteral(
        "SELECT ClientName, ClientPhone, ClientAddress, ClientText FROM AllClientZakaz WHERE ClientName = ?1"
        " ORDER BY ID LIMIT 1"));
    select.bindText(1, name);
    if (!select.step())
        return std::nullopt;
    return OrderClient{select.text(0), select.text(1), select.text(2), select.text(3)};
}

bool AddClient(db::Connection& orderDb, const OrderClient& client)
{
    const QString name = client.name.left(kClientNameLength);
    if (name.trimmed().isEmpty())
        return false;
    db::Statement insert = orderDb.prepare(QStringLiteral(
        "INSERT INTO AllClientZakaz (ClientName, ClientPhone, ClientAddress, ClientText) VALUES (?1, ?2, ?3, ?4)"));
    insert.bindText(1, name).bindText(2, client.phone.left(100)).bindText(3, client.address.left(255));
    insert.bindText(4, client.note.left(255));
    insert.execute();
    return true;
}

void UpdateClient(db::Connection& orderDb, const OrderClient& client)
{
    db::Statement update = orderDb.prepare(QStringLiteral(
        "UPDATE AllClientZakaz SET ClientPhone = ?1, ClientAddress = ?2, ClientText = ?3 WHERE ClientName = ?4"));
    update.bindText(1, client.phone.left(100)).bindText(2, client.address.left(255));
    update.bindText(3, client.note.left(255)).bindText(4, client.name);
    update.execute();
}

void DeleteClient(db::Connection& orderDb, const QString& name)
{
    db::Statement remove = orderDb.prepare(QStringLiteral("DELETE FROM AllClientZakaz WHERE ClientName = ?1"));
    remove.bindText(1, name);
    remove.execute();
}

ClientList BuildClientList(const QStringList& registerNames, const QString& name)
{
    ClientList list;
    list.entries << QString();
    list.selected = name.isEmpty() ? 0 : -1;
    for (const QString& entry : registerNames) {
        if (list.selected < 0 && entry.compare(name, Qt::CaseInsensitive) == 0)
            list.selected = int(list.entries.size());
        list.entries << entry;
    }
    if (list.selected < 0) {
        list.selected = int(list.entries.size());
        list.entries << name;
    }
    return list;
}

void SaveOrderClient(db::Connection& orderDb, const OrderClient& client, const Question& ask)
{
    if (client.name.trimmed().isEmpty())
        return;
    const std::optional<OrderClient> stored = FindClient(orderDb, client.name);
    if (!stored) {
        AddClient(orderDb, client);
        return;
    }
    if (stored->phone == client.phone && stored->address == client.address && stored->note == client.note)
        return;
    if (ask(QStringLiteral("Клиент с именем ") + quoted(client.name) +
            QStringLiteral(" уже есть в базе!\r\r            Сохранить по нему новые значения?")))
        UpdateClient(orderDb, client);
}

bool EditOrderClient(db::Connection& orderDb, const OrderClient& client, const Question& ask)
{
    if (client.name.trimmed().isEmpty())
        return false;
    if (FindClient(orderDb, client.name)) {
        UpdateClient(orderDb, client);
        return true;
    }
    if (!ask(QStringLiteral("Клиента с именем ") + quoted(client.name) +
             QStringLiteral(" нет в базе!\r\r                  Добавить его в базу?")))
        return false;
    return AddClient(orderDb, client);
}

bool SelectOrderClient(db::Connection& orderDb, const QString& name, const MessageSink& tell)
{
    if (FindClient(orderDb, name))
        return true;
    tell(QStringLiteral("Клиента с именем ") + quoted(name) + QStringLiteral(" нет в базе!"));
    return false;
}

bool DeleteOrderClient(db::Connection& orderDb, const QString& name, const Question& ask)
{
    if (!ask(QStringLiteral("Удалить Клиента ") + quoted(name) + QStringLiteral(" из базы?")))
        return false;
    DeleteClient(orderDb, name);
    return true;
}

} // namespace velmora::orders
