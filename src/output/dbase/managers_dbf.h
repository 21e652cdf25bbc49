#pragma once

#include "platform/db/connection.h"
#include "platform/files/progress.h"

#include <QDate>
#include <QString>

namespace velmora::output {

// The goods catalogue for the sales managers, DBF_for_manager.DBF in the
// program folder (DBF1Click).
inline constexpr char kManagersDbfFileName[] = "DBF_for_manager.DBF";

inline const QString kManagersDbfDone = QStringLiteral("База \"DBF_for_manager\" была успешно создана в:");
inline const QString kManagersDbfFailed = QStringLiteral(" Произошла ошибка при создании базы \"DBF_for_manager\"");
inline const QString kManagersDbfProgressText = QStringLiteral("     Создание каталога DBF (для менеджеров)");

// Writes the goods that have a Price_Tovar_Info row and Price_1 > -1, by
// group code (as text) and then name, one record each: INO (N10) Code,
// ITEM (C100) Art, GRCODE (N10) Kategor, NAME (C200) Tovar, CATAL (F16.2)
// PriceBase, KPR (F10.2) P / PriceBase rounded to 2 places (blank when
// PriceBase is not above 0), PRICE (F16.2) P, GARAN (C50) Garant, UPDATE
// (D) Dates, VENDOR (C50) empty, OPT (F16.2) W; where W = Price_1 × (1 +
// Nacen / 100) and P = W × (1 + M4 / 100), M4 being the output markup of
// parametr row 4. Texts longer than their fields are cut to them. The file
// replaces the old one only when whole (an old file another program holds
// is left alone with ED's message); then row 2 of parametr is dated
// `today`. Returns the number of records. Without such goods nothing is
// written: OutputError with noGroupsMessage when the group tree is empty,
// noGoodsMessage otherwise. Throws OutputError, ED or db::DbError.
qint64 WriteManagersDbf(db::Connection& priceDb, const QString& programFolder, const QDate& today,
                        Progress* progress = nullptr);

} // namespace velmora::output
