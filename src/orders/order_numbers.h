#pragma once

#include "platform/db/connection.h"
#include "platform/files/message_sink.h"

#include <QList>
#include <QStringList>

namespace velmora::orders {

// The counter of issued order numbers: key ZakazNumber of section [Zakaz]
// of SetupUser.ini, the number the new-order command issued last. A missing
// key or a text that is no integer counts as 0.
int ReadOrderCounter(const QString& userIniPath);
// Writes the counter; false when the file could not be written (the INI
// layer's message goes to `messages`).
bool WriteOrderCounter(const QString& userIniPath, int number, const MessageSink& messages = {});

// The distinct order numbers of the stored order lines, ascending.
QList<int> StoredOrderNumbers(db::Connection& orderDb);

// The entries of the order-number list and the one to select.
struct OrderNumberList {
    QStringList entries;
    int selected = -1;
    bool found = false; // the asked-for number is a stored order
};

// The list for number n (0: none asked for): the stored numbers, with n
// appended when it is not among them; with no stored order and n = 0, the
// counter + 1 (nothing is written). n found or appended is selected, else
// the last entry.
OrderNumberList BuildOrderNumberList(const QList<int>& stored, int n, int counter);

// The number a new order gets: the first number above the counter that no
// stored order uses.
int NextOrderNumber(const QList<int>& stored, int counter);

// The new-order command's number: NextOrderNumber over the stored orders
// and the counter, written back as the counter. A new order exists only as
// a list entry until its first line is added.
int IssueOrderNumber(db::Connection& orderDb, const QString& userIniPath, const MessageSink& messages = {});

// The number of the order held in the price database's order list Zakaz:
// key ZakazNumber of section [Zakaz] of the price-list settings file
// (SetupPriceList.ini), "1" when missing, apart from the order tab's
// counter. A text that is no integer counts as 0.
int ReadImportOrderNumber(const QString& priceListIniPath);
// A new import's number: the counter raised by 1, written back and read
// again (the file's value is returned, also when it could not be written;
// the INI layer's message goes to `messages`).
int RaiseImportOrderNumber(const QString& priceListIniPath, const MessageSink& messages = {});
// The number as the hidden order-number field shows it: "0000" + number,
// its last five characters (7 gives "00007").
QString ImportOrderNumberText(int number);

// The order number a list text stands for; false when the text is no
// integer.
bool ParseOrderNumber(const QString& text, int* number);

} // namespace velmora::orders
