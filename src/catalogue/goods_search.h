#pragma once

#include "platform/db/connection.h"

#include <QString>

#include <vector>

namespace velmora::catalogue {

// The own-goods search of Form_Search.
enum class GoodsSearchMode {
    ExactArticle,   // the article as typed, case ignored
    PartialArticle, // the article holds the text
    NamePart,       // the name holds the text
};

struct FoundGood {
    qint64 code = 0;
    QString art;
    QString tovar;
    QString kategor;
};

// The goods found, in the order they were added to the table (as the
// statement without an ordering gives them; sorting a large result by name
// would cost more than the search); none for an empty text. The text is
// found as typed: "%", "_" and "[" are characters like any other.
std::vector<FoundGood> findGoods(db::Connection& priceDb, GoodsSearchMode mode, const QString& text);

} // namespace velmora::catalogue
