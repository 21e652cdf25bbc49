#include "orders/order_numbers.h"

#include "platform/files/ini_file.h"

namespace velmora::orders {

namespace {
const QString kSection = QStringLiteral("Zakaz");
const QString kKey = QStringLiteral("ZakazNumber");
} // namespace

namespace {
// [Zakaz] ZakazNumber of an INI file; a text that is no integer counts as 0.
int readCounter(const QString& iniPath, const QString& defaultText)
{
    int counter = 0;
    if (!ParseOrderNumber(ReadIniString(iniPath, kSection, defaultText, kKey), &counter))
        return 0;
    return counter;
}
} // namespace

int ReadOrderCounter(const QString& userIniPath)
{
    return readCounter(userIniPath, QStringLiteral("0"));
}

bool WriteOrderCounter(const QString& userIniPath, int number, const MessageSink& messages)
{
    return WriteIniString(userIniPath, kSection, QString::number(number), kKey, messages);
}

QList<int> StoredOrderNumbers(db::Connection& orderDb)
{
    QList<int> numbers;
    db::Statement select = orderDb.prepare(
        QStringLiteral("SELECT ZakazNumber FROM AllZakazFull GROUP BY ZakazNumber ORDER BY ZakazNumber"));
    while (select.step())
        if (!select.isNull(0))
            numbers << int(select.integer(0));
    return numbers;
}

OrderNumberList BuildOrderNumberList(const QList<int>& stored, int n, int counter)
{
    OrderNumberList list;
    for (int number : stored) {
        if (number == n) {
            list.found = true;
            list.selected = int(list.entries.size());
        }
        list.entries << QString::number(number);
    }
    if (n > 0 && !list.found) {
        list.selected = int(list.entries.size());
        list.entries << QString::number(n);
    } else if (stored.isEmpty() && n == 0) {
        list.entries << QString::number(counter + 1);
    }
    if (list.selected < 0)
        list.selected = int(list.entries.size()) - 1;
    return list;
}

int NextOrderNumber(const QList<int>& stored, int counter)
{
    int n = counter + 1;
    while (stored.contains(n))
        ++n;
    return n;
}

int IssueOrderNumber(db::Connection& orderDb, const QString& userIniPath, const MessageSink& messages)
{
    const int number = NextOrderNumber(StoredOrderNumbers(orderDb), ReadOrderCounter(userIniPath));
    WriteOrderCounter(userIniPath, number, messages);
    return number;
}

int ReadImportOrderNumber(const QString& priceListIniPath)
{
    return readCounter(priceListIniPath, QStringLiteral("1"));
}

int RaiseImportOrderNumber(const QString& priceListIniPath, const MessageSink& messages)
{
    WriteOrderCounter(priceListIniPath, ReadImportOrderNumber(priceListIniPath) + 1, messages);
    return ReadImportOrderNumber(priceListIniPath);
}

QString ImportOrderNumberText(int number)
{
    return (QStringLiteral("0000") + QString::number(number)).right(5);
}

bool ParseOrderNumber(const QString& text, int* number)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (ok)
        *number = value;
    return ok;
}

} // namespace velmora::orders
