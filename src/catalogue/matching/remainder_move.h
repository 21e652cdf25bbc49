#pragma once

#include "platform/db/connection.h"
#include "platform/files/message_sink.h"

#include <QString>

namespace velmora::catalogue {

// Moving supplier items to an own good by hand (the remainder page) and the
// question both that and the review of proposals put before replacing the
// good's item of a supplier.

// "Перемещение товара отклонено"
QString moveDeclinedMessage();

// "Для поставщика: <supplier> уже есть товар в:" with a line for the
// correspondence table and one for the combined price (each empty when it
// does not apply), a blank line and "Заменить существующий товар новым?".
QString replaceItemQuestion(const QString& supplier, bool inCorrespondences, bool inCombinedPrice);

// A stored yes/no text (postavshik.Art_obrab) read as a value: true when
// it begins with t, T, y or Y.
bool yesNoTextIsTrue(const QString& text);
// The text a yes/no value is stored as in the text flags: "True"/"False".
QString yesNoFlagText(bool value);

struct MoveResult {
    int moved = 0;
    int declined = 0;
};

// "Добавить в таблицу соответствий": each ticked remainder item, in Number
// order, becomes a correspondence of the good (sootv, with its supplier's
// Art_obrab as "True"/"False") and a combined-price row (svod, Obrab the
// same text) and leaves the remainder. When the good has a correspondence or
// a combined-price row of the item's supplier already (an item moved
// earlier in the same batch counts), `ask` puts replaceItemQuestion: Yes
// replaces them, No tells moveDeclinedMessage and leaves the item in the
// remainder. The remainder's ticks are cleared at the end. The questions are
// all put first; the moves then run in one transaction. With no good (0)
// nothing is moved and `tell` gets "Не выбран собственный товар!".
MoveResult moveTickedItemsWithQuestion(db::Connection& priceDb, qint64 goodCode, const Question& ask,
                                       const MessageSink& tell);

} // namespace velmora::catalogue
