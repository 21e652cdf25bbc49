#include "stock_criteria.h"

#include "platform/db/text_functions.h"
#include "storage/settings_store.h"

namespace velmora::catalogue {
namespace {

const QString kSetting = QStringLiteral("KritSklad");

// Stock texts are compared and listed without the blanks around them (a
// price list's "есть " is "есть"): spaces, tabs, line breaks and no-break
// spaces. The trimmed text compares as the text columns do, case ignored.
QString trimmed(const char* column)
{
    return QStringLiteral("trim(%1, char(32, 9, 10, 13, 160))").arg(QLatin1String(column));
}
QString trimmedForComparison(const char* column)
{
    return trimmed(column) + QStringLiteral(" COLLATE ") + QLatin1String(db::kTextCollation);
}

// An offer has a stock text when its Sklad holds more than blanks.
QString hasStockText() { return QStringLiteral("Sklad IS NOT NULL AND %1 <> ''").arg(trimmed("Sklad")); }

bool textIsTaken(db::Connection& priceDb, const QString& text)
{
    db::Statement select = priceDb.prepare(QStringLiteral("SELECT 1 FROM Price_Sklad WHERE %1 = %2 LIMIT 1")
                                               .arg(trimmedForComparison("Text"), trimmed("?1")));
    select.bindText(1, text);
    return select.step();
}

// The text as a criterion keeps it.
QString criterionText(db::Connection& priceDb, const QString& text)
{
    return priceDb.scalar(QStringLiteral("SELECT ") + trimmed("?1"), {text}).toString();
}

} // namespace

QString stockListCode(StockList list)
{
    return list == StockList::Presence ? QStringLiteral("Yes") : QStringLiteral("No");
}

QList<StockCriterion> readStockCriteria(db::Connection& priceDb, StockList list)
{
    db::Statement select =
        priceDb.prepare(QStringLiteral("SELECT ID, Text FROM Price_Sklad WHERE Sklad = ?1 ORDER BY Text, ID"));
    select.bindText(1, stockListCode(list));
    QList<StockCriterion> criteria;
    while (select.step())
        criteria.append({select.integer(0), select.text(1)});
    return criteria;
}

StockEdit addStockCriterion(db::Connection& priceDb, StockList list, const QString& text)
{
    const QString criterion = criterionText(priceDb, text);
    if (criterion.isEmpty())
        return StockEdit::Nothing;
    if (textIsTaken(priceDb, criterion))
        return StockEdit::Duplicate;
    db::Statement insert = priceDb.prepare(QStringLiteral("INSERT INTO Price_Sklad (Sklad, Text) VALUES (?1, ?2)"));
    insert.bindText(1, stockListCode(list)).bindText(2, criterion);
    insert.execute();
    return StockEdit::Done;
}

StockEdit changeStockCriterion(db::Connection& priceDb, qint64 id, const QString& text)
{
    const QString criterion = criterionText(priceDb, text);
    if (id <= 0 || criterion.isEmpty())
        return StockEdit::Nothing;
    if (textIsTaken(priceDb, criterion))
        return StockEdit::Duplicate;
    db::Statement update = priceDb.prepare(QStringLiteral("UPDATE Price_Sklad SET Text = ?2 WHERE ID = ?1"));
    update.bindInt(1, id).bindText(2, criterion);
    update.execute();
    return priceDb.changes() > 0 ? StockEdit::Done : StockEdit::Nothing;
}

void deleteStockCriterion(db::Connection& priceDb, qint64 id)
{
    db::Statement remove = priceDb.prepare(QStringLiteral("DELETE FROM Price_Sklad WHERE ID = ?1"));
    remove.bindInt(1, id);
    remove.execute();
}

QStringList missingStockTexts(db::Connection& priceDb)
{
    db::Statement select = priceDb.prepare(
        QStringLiteral("SELECT DISTINCT %2 FROM svod WHERE %1 "
                       "AND %2 NOT IN (SELECT %3 FROM Price_Sklad WHERE Text IS NOT NULL) ORDER BY 1")
            .arg(hasStockText(), trimmedForComparison("Sklad"), trimmed("Text")));
    QStringList texts;
    while (select.step())
        texts << select.text(0);
    return texts;
}

StockSwitches readStockSwitches(SettingsStore& settings)
{
    if (!settings.contains(kSetting)) {
        writeStockApply(settings, false);
        writeStockJudgeBy(settings, StockList::Presence);
        writeStockNoTextInStock(settings, true);
    }
    StockSwitches switches;
    switches.apply = settings.readBoolean(kSetting, QStringLiteral("0"));
    switches.judgeBy = settings.readText(kSetting, QStringLiteral("Yes")) == QLatin1String("Yes") ? StockList::Presence
                                                                                                 : StockList::Absence;
    switches.noTextInStock = settings.readInteger(kSetting, QStringLiteral("1")) != 0;
    return switches;
}

void writeStockApply(SettingsStore& settings, bool apply)
{
    settings.write(kSetting, QStringLiteral("TypeBoolean"), apply ? QStringLiteral("-1") : QStringLiteral("0"));
}

void writeStockJudgeBy(SettingsStore& settings, StockList list)
{
    settings.write(kSetting, QStringLiteral("TypeText"), stockListCode(list));
}

void writeStockNoTextInStock(SettingsStore& settings, bool inStock)
{
    settings.write(kSetting, QStringLiteral("TypeInteger"), inStock ? QStringLiteral("1") : QStringLiteral("0"));
}

void ApplyStockCriteria(db::Connection& priceDb, const StockSwitches& switches)
{
    if (!switches.apply)
        return;
    db::Savepoint savepoint(priceDb, QStringLiteral("ApplyStockCriteria"));
    // One table only: joining Price_Sklad would update nothing while it is empty.
    const QString judged = switches.judgeBy == StockList::Presence
        ? QStringLiteral("UPDATE svod SET Obrab = 'False' WHERE %1 AND %2 NOT IN "
                         "(SELECT %3 FROM Price_Sklad WHERE Sklad = 'Yes' AND Text IS NOT NULL)")
        : QStringLiteral("UPDATE svod SET Obrab = 'False' WHERE %1 AND %2 IN "
                         "(SELECT %3 FROM Price_Sklad WHERE Sklad = 'No')");
    priceDb.prepare(judged.arg(hasStockText(), trimmedForComparison("Sklad"), trimmed("Text"))).execute();

    // An offer without a stock text keeps what the suppliers' choice gave
    // it: counting it as in stock never makes a left-out supplier's offer
    // usable again.
    if (!switches.noTextInStock)
        priceDb.prepare(QStringLiteral("UPDATE svod SET Obrab = 'False' WHERE NOT (%1)").arg(hasStockText())).execute();
    savepoint.release();
}

} // namespace velmora::catalogue
