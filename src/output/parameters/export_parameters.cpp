#include "export_parameters.h"

#include "platform/db/day_numbers.h"

namespace velmora::output {

const ParameterRow& ExportParameters::row(int id) const
{
    static const ParameterRow none;
    if (id < 1 || id > kParameterRowCount)
        return none;
    return rows.at(size_t(id - 1));
}

ExportParameters readExportParameters(db::Connection& priceDb)
{
    ExportParameters parameters;
    for (int id = 1; id <= kParameterRowCount; ++id)
        parameters.rows.at(size_t(id - 1)).id = id;

    db::Statement select = priceDb.prepare(QStringLiteral(
        "SELECT Id, Name_out, Nacen_out, Path, FileName, SheetName, Dates FROM parametr "
        "WHERE Id BETWEEN 1 AND ?1"));
    select.bindInt(1, kParameterRowCount);
    while (select.step()) {
        ParameterRow& row = parameters.rows.at(size_t(select.integer(0) - 1));
        row.nameOut = select.text(1).trimmed();
        row.markup = int(select.integer(2));
        row.path = select.text(3).trimmed();
        row.fileName = select.text(4).trimmed();
        row.sheetName = select.text(5).trimmed();
        row.dates = select.integer(6);
    }
    return parameters;
}

void stampParameterDate(db::Connection& priceDb, int id, const QDate& day)
{
    db::Statement update = priceDb.prepare(QStringLiteral("UPDATE parametr SET Dates = ?1 WHERE Id = ?2"));
    update.bindInt(1, db::dayNumber(day)).bindInt(2, id);
    update.execute();
}

void storeExportParameters(db::Connection& priceDb, const ParameterInput& input)
{
    db::Transaction transaction(priceDb);

    db::Statement exists = priceDb.prepare(QStringLiteral("SELECT 1 FROM parametr WHERE Id = ?1"));
    db::Statement makeBlank = priceDb.prepare(QStringLiteral(
        "INSERT INTO parametr (Id, Name_out, Nacen_out, Path, FileName, SheetName, Dates) "
        "VALUES (?1, ' ', 0, ' ', ' ', ' ', 0)"));
    for (int id = 1; id <= kParameterRowCount; ++id) {
        exists.bindInt(1, id);
        const bool found = exists.step();
        exists.reset();
        if (!found) {
            makeBlank.bindInt(1, id);
            makeBlank.execute();
            makeBlank.reset();
        }
    }

    db::Statement column = priceDb.prepare(
        QStringLiteral("UPDATE parametr SET Name_out = ?2, Nacen_out = ?3 WHERE Id = ?1"));
    for (int k = 1; k <= kPriceColumnCount; ++k) {
        column.bindInt(1, k).bindText(2, input.columnNames.at(size_t(k - 1)));
        column.bindInt(3, input.columnMarkups.at(size_t(k - 1)));
        column.execute();
        column.reset();
    }

    db::Statement excel = priceDb.prepare(
        QStringLiteral("UPDATE parametr SET Path = ?1, FileName = ?2, SheetName = ?3 WHERE Id = 1"));
    excel.bindText(1, input.excelFolder).bindText(2, input.excelFileName).bindText(3, input.excelSheetName);
    excel.execute();

    db::Statement path = priceDb.prepare(QStringLiteral("UPDATE parametr SET Path = ?2 WHERE Id = ?1"));
    auto storePath = [&path](int id, const QString& value) {
        path.bindInt(1, id).bindText(2, value);
        path.execute();
        path.reset();
    };
    storePath(2, input.dbfFolder);
    storePath(3, input.managersDatabaseFolder);
    if (!input.connectionString.trimmed().isEmpty())
        storePath(6, input.connectionString);

    transaction.commit();
}

} // namespace velmora::output
