#pragma once

#include "platform/db/background_checkpoint.h"
#include "platform/db/connection.h"
#include "suppliers/brands/article_normaliser.h"

#include <QString>

#include <functional>

namespace velmora::brands {

// Told the percentage done (0..100) each time it changes.
using PercentProgress = std::function<void(int percent)>;

// "Обработка:  - преобразование артикулов.    Выполнено:  " + percent + "%".
QString ArticleRecalcStatusText(int percent);

// "Пересчитать Артикулы": the article conversions of kind 0 in ArtOldtoNew
// are made anew, one row (article, normalised article, 0) per distinct
// article (exactly as written), and every offer's Description becomes its
// normalised article (an offer without an article keeps none). Rows of
// other kinds stay. Written by statements over all offers (a Description
// only where it changes) in one transaction on `priceDb`, the search index
// kept in step: a failure leaves every offer and conversion as it was and
// throws db::DbError. Returns the offers whose Description changed. Given
// `checkpoint`, the log of the rewrite is copied into the file by it after
// the commit, off the caller's thread.
int RecalculateArticles(db::Connection& priceDb, const ArticleSwitches& steps, const PercentProgress& progress = {},
                        db::BackgroundCheckpoint* checkpoint = nullptr);

// "Запомнить настройки" of the articles tab, after the switches are stored:
// with `convertOnLoad` every offer whose article has a stored conversion of
// kind 0 (the same text, else the same without case) takes it as its
// Description; without it every Description becomes the article again. One
// transaction, the search index kept in step. Returns the offers changed.
int ApplyArticleConversions(db::Connection& priceDb, bool convertOnLoad);

} // namespace velmora::brands
