#pragma once

#include "platform/db/connection.h"
#include "platform/files/progress.h"

#include <QDate>
#include <QString>

namespace velmora::output {

// The dBase file of the export run for the accounting program.
inline constexpr char kPriceDbfFileName[] = "price.dbf";
inline constexpr int kPriceDbfArticleWidth = 9;

struct PriceDbfResult {
    qint64 records = 0;
    int cutArticles = 0; // articles longer than ART, written cut to it
};

// Writes every Price_Out row in ID order to `path`: ART (C9) the article,
// NAME (C200) the goods name, GROUP1 ... GROUP10 (C50) NameKat0 ...
// NameKat9, in Windows-1251 (code-page mark 201). A text longer than its
// field is cut to it; the accounting program reads ART as 9 characters, so
// cut articles are counted. The file is written under a temporary name and
// takes the old one's place only when whole; `today` is the header's date.
// Throws ED (a file another program holds, a write failure) or db::DbError,
// leaving an old file as it was.
PriceDbfResult WritePriceDbf(db::Connection& priceDb, const QString& path, const QDate& today,
                             Progress* progress = nullptr);

} // namespace velmora::output
