#include "loader_test_support.h"

#include "storage/schema.h"

#include <stdexcept>

namespace velmora::loader::test {

TestDatabases::TestDatabases()
{
    if (!dir.isValid())
        throw std::runtime_error("no temporary folder");
    pricePath = dir.filePath(QStringLiteral("PRICE.vdb"));
    orderPath = dir.filePath(QStringLiteral("BaseZakaz.vdb"));
    createPriceDatabase(pricePath);
    createOrderDatabase(orderPath);
    price.open(pricePath);
    order.open(orderPath);
}

void AddPriceList(db::Connection& priceDb, const QString& name, const QString& path, double conversion, qint64 dates)
{
    db::Statement insert = priceDb.prepare(QStringLiteral(
        "INSERT INTO AllPostavSetup (Id, Postavshik, Path, SheetCount, Obrab, PostavVisible, Dates, PriceConversion, Valuta)"
        " VALUES ((SELECT IFNULL(MAX(Id), 0) + 1 FROM AllPostavSetup), ?1, ?2, 0, '', 1, ?3, ?4, 0)"));
    insert.bindText(1, name).bindText(2, path).bindInt(3, dates).bindDouble(4, conversion);
    insert.execute();
}

void AddSheet(db::Connection& priceDb, const QString& name, const SheetSetup& sheet)
{
    db::Statement insert = priceDb.prepare(QStringLiteral(
        "INSERT INTO AllPostavPage (Postavshik, SheetName, Column_art, Column_Tovar, Column_Price, Column_Pricemax,"
        " Column_Sklad, Column_Garant, Column_Description, Column_TextNoName, Obrab, Nacen, Valuta, PriceSet, TovarPrefiks)"
        " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, '', ?11, ?12, 0, ?13)"));
    insert.bindText(1, name).bindText(2, sheet.sheetName);
    insert.bindInt(3, sheet.columnArt).bindInt(4, sheet.columnTovar).bindInt(5, sheet.columnPrice);
    insert.bindInt(6, sheet.columnPricemax).bindInt(7, sheet.columnSklad).bindInt(8, sheet.columnGarant);
    insert.bindInt(9, sheet.columnDescription).bindInt(10, sheet.columnTextNoName);
    insert.bindInt(11, sheet.nacen).bindInt(12, sheet.valuta).bindText(13, sheet.tovarPrefiks);
    insert.execute();
    db::Statement count = priceDb.prepare(QStringLiteral(
        "UPDATE AllPostavSetup SET SheetCount = (SELECT COUNT(*) FROM AllPostavPage WHERE Postavshik = ?1)"
        " WHERE Postavshik = ?1"));
    count.bindText(1, name);
    count.execute();
}

std::vector<StoredOffer> ReadOffers(db::Connection& priceDb, const QString& name)
{
    db::Statement select = priceDb.prepare(QStringLiteral(
        "SELECT p.Number, p.Art, p.Tovar, p.Price, p.Pricemax, p.PriceOut, p.Garant, p.Sklad, p.Description,"
        " p.TextNoName, p.Dates,"
        " Check_sootv || '/' || Check_obrab,"
        " (SELECT COUNT(*) FROM AllTovarValuta v WHERE v.ID_Tovar = p.Number),"
        " v.Price, v.Pricemax, v.Valuta, v.PriceConversion, v.Nacen"
        " FROM AllTovarPostav p LEFT JOIN AllTovarValuta v ON v.ID_Tovar = p.Number"
        " WHERE p.Postavshik = ?1 ORDER BY p.Number"));
    select.bindText(1, name);
    std::vector<StoredOffer> offers;
    while (select.step()) {
        StoredOffer o;
        o.number = select.integer(0);
        o.art = select.text(1);
        o.tovar = select.text(2);
        o.price = select.number(3);
        o.pricemax = select.number(4);
        o.priceOut = select.number(5);
        o.garant = select.text(6);
        o.sklad = select.text(7);
        o.description = select.text(8);
        o.textNoName = select.text(9);
        o.dates = select.integer(10);
        o.check = select.text(11);
        o.rateRows = int(select.integer(12));
        o.ratePrice = select.number(13);
        o.ratePricemax = select.number(14);
        o.rateCode = select.text(15);
        o.rateConversion = select.number(16);
        o.rateNacen = int(select.integer(17));
        offers.push_back(o);
    }
    return offers;
}

qint64 CountRows(db::Connection& db, const QString& sql)
{
    return db.scalar(sql).toLongLong();
}

CurrencyTable TestRates(int displayIndex)
{
    CurrencyTable table;
    table.rates = {90, 100, 1, 30, 2.5};
    table.displayIndex = displayIndex;
    return table;
}

QString TestDataPath(const QString& relative)
{
    return QStringLiteral(VELMORA_TEST_DATA "/loader/") + relative;
}

} // namespace velmora::loader::test

#include <QProcess>

#include <xlsxwriter.h>

namespace velmora::loader::test {

void WriteLargeXlsx(const QString& path, int rows, const QString& sheetName)
{
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;
    lxw_workbook* book = workbook_new_opt(path.toUtf8().constData(), &options);
    lxw_worksheet* sheet = workbook_add_worksheet(book, sheetName.toUtf8().constData());
    for (int i = 1; i <= rows; ++i) {
        const QByteArray art = QByteArray("A") + QByteArray::number(i);
        const QByteArray name = QStringLiteral("Товар %1").arg(i).toUtf8();
        worksheet_write_string(sheet, lxw_row_t(i - 1), 0, art.constData(), nullptr);
        worksheet_write_string(sheet, lxw_row_t(i - 1), 1, name.constData(), nullptr);
        worksheet_write_number(sheet, lxw_row_t(i - 1), 2, i, nullptr);
        worksheet_write_number(sheet, lxw_row_t(i - 1), 3, i * 1.5, nullptr);
    }
    if (workbook_close(book) != LXW_NO_ERROR)
        throw std::runtime_error("cannot write " + path.toStdString());
}

void WriteTextXlsx(const QString& path, const std::vector<std::vector<QString>>& rows, int priceColumn,
                   bool inlineStrings)
{
    lxw_workbook_options options = {};
    options.constant_memory = inlineStrings ? LXW_TRUE : LXW_FALSE;
    lxw_workbook* book = workbook_new_opt(path.toUtf8().constData(), &options);
    lxw_worksheet* sheet = workbook_add_worksheet(book, "Прайс");
    for (std::size_t r = 0; r < rows.size(); ++r) {
        worksheet_write_number(sheet, lxw_row_t(r), lxw_col_t(priceColumn - 1), 10, nullptr);
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            if (rows[r][c].isEmpty())
                continue;
            const int column = int(c) + 1 < priceColumn ? int(c) : int(c) + 1;
            worksheet_write_string(sheet, lxw_row_t(r), lxw_col_t(column), rows[r][c].toUtf8().constData(), nullptr);
        }
    }
    if (workbook_close(book) != LXW_NO_ERROR)
        throw std::runtime_error("cannot write " + path.toStdString());
}

QString RunPython(const QString& script, const QStringList& arguments)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), QStringList{QStringLiteral("-c"), script} + arguments);
    // Reading back 65,000 rows takes openpyxl seconds on a quiet machine and
    // a minute on a busy one; the ceiling only ends a script that hangs,
    // within the test's own five minutes.
    if (!python.waitForFinished(240000) || python.exitStatus() != QProcess::NormalExit || python.exitCode() != 0)
        throw std::runtime_error("python failed: " + python.readAllStandardError().toStdString());
    return QString::fromUtf8(python.readAllStandardOutput());
}

void InsertOffers(db::Connection& priceDb, const QString& name, int count)
{
    db::Transaction transaction(priceDb);
    db::Statement offer = priceDb.prepare(QStringLiteral(
        "INSERT INTO AllTovarPostav (Art, Tovar, Price, Pricemax, Postavshik, Check_sootv, Check_obrab, Dates, Garant,"
        " Sklad, Description, TextNoName, PriceOut) VALUES (?1, ?2, ?3, 0, ?4, 'True', 'True', 1, '', '', '', '', ?3)"));
    db::Statement rate = priceDb.prepare(QStringLiteral(
        "INSERT INTO AllTovarValuta (ID_Tovar, Price, Pricemax, Valuta, PriceConversion, Nacen, Dates)"
        " VALUES (?1, ?2, 0, 'RUB', 1, 0, 1)"));
    for (int i = 1; i <= count; ++i) {
        offer.bindText(1, QStringLiteral("OLD-%1").arg(i)).bindText(2, QStringLiteral("Старый %1").arg(i));
        offer.bindDouble(3, i).bindText(4, name);
        offer.execute();
        offer.reset();
        rate.bindInt(1, priceDb.lastInsertRowId()).bindDouble(2, i);
        rate.execute();
        rate.reset();
    }
    transaction.commit();
}

} // namespace velmora::loader::test
