#pragma once

#include "platform/db/connection.h"

#include <QStringList>

namespace velmora::loader {

// The price lists, in Id order, whose newest file's packed time stamp
// differs from the stored "<name>_DataLoad" (the order database's setting;
// 0 for a list never loaded, so any file counts). Lists without a file are
// left out.
QStringList FindUpdatedPriceLists(db::Connection& priceDb, db::Connection& settingsDb);

} // namespace velmora::loader
