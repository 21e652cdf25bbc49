#include "suppliers/setup/price_list_settings.h"

#include "platform/db/day_numbers.h"
#include "platform/db/statement.h"
#include "storage/settings_store.h"
#include "storage/value_helpers.h"

#include <stdexcept>

namespace velmora {

QString PriceListInfoText(const QString& name, const GoodsSummary& goods, int sheetCount)
{
    const QString date = goods.firstDates ? db::dateFromDayNumber(double(*goods.firstDates)).toString(QStringLiteral("dd.MM.yyyy"))
                                          : QString();
    return QStringLiteral("\n      Прайс-лист:     %1\n\n      Дата обновления:     %2\n"
                          "      Кол-во листов:          %3\n      Кол-во товаров:        %4\n")
        .arg(name, date)
        .arg(sheetCount)
        .arg(goods.count);
}

std::optional<double> ParseConversionFactor(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return 1.0;
    try {
        return parseDecimal(t);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

bool SetPriceConversion(db::Connection& priceDb, const QString& name, const QString& text)
{
    const std::optional<double> factor = ParseConversionFactor(text);
    if (!factor || text.trimmed().isEmpty())
        return false;
    db::Statement st = priceDb.prepare(QStringLiteral("UPDATE AllPostavSetup SET PriceConversion = ?1 WHERE Postavshik = ?2"));
    st.bind(1, *factor).bind(2, name);
    st.execute();
    return true;
}

void SetPriceListPath(db::Connection& priceDb, const QString& name, const QString& path)
{
    db::Statement st = priceDb.prepare(QStringLiteral("UPDATE AllPostavSetup SET Path = ?1 WHERE Postavshik = ?2"));
    st.bind(1, path.isNull() ? QStringLiteral("") : path).bind(2, name);
    st.execute();
}

SaveOutcome SavePriceListSettings(db::Connection& priceDb, db::Connection& orderDb, const PriceListSettingsInput& input)
{
    SaveOutcome outcome;
    outcome.rename = RenamePriceList(priceDb, orderDb, input.id, input.name, input.shownName);
    const QString refusal = RenameRefusalText(outcome.rename, input.name);
    if (!refusal.isEmpty()) {
        outcome.message = refusal;
        return outcome;
    }
    const QString name = input.name.trimmed();

    const std::optional<double> factor = ParseConversionFactor(input.conversionText);
    db::Transaction tx(priceDb);
    db::Statement setup = priceDb.prepare(
        factor ? QStringLiteral("UPDATE AllPostavSetup SET Path = ?1, PostavVisible = 1, PriceConversion = ?3 WHERE Id = ?2")
               : QStringLiteral("UPDATE AllPostavSetup SET Path = ?1, PostavVisible = 1 WHERE Id = ?2"));
    setup.bind(1, input.path.isNull() ? QStringLiteral("") : input.path).bind(2, input.id);
    if (factor)
        setup.bind(3, *factor);
    setup.execute();

    if (!input.sheet.isEmpty()) {
        std::array<qint64, kSheetFieldCount> specs{};
        for (int i = 0; i < kSheetFieldCount; ++i)
            specs[size_t(i)] = TextToColumnSpec(input.columnTexts[size_t(i)].trimmed());
        db::Statement sheet = priceDb.prepare(QStringLiteral(
            "UPDATE AllPostavPage SET Column_art = ?3, Column_Tovar = ?4, Column_Price = ?5, Column_Pricemax = ?6, "
            "Column_Sklad = ?7, Column_Garant = ?8, Column_Description = ?9, Column_TextNoName = ?10 "
            "WHERE Postavshik = ?1 AND SheetName = ?2"));
        sheet.bind(1, name).bind(2, input.sheet);
        for (int i = 0; i < kSheetFieldCount; ++i)
            sheet.bind(3 + i, specs[size_t(i)]);
        sheet.execute();
    }
    tx.commit();
    outcome.saved = true;
    if (!factor)
        outcome.message = QStringLiteral("Коэффициент пересчета \"%1\" не является числом; сохранено прежнее значение.")
                              .arg(input.conversionText);
    return outcome;
}

} // namespace velmora
