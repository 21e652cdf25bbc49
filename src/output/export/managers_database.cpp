#include "managers_database.h"

#include "output/output_error.h"
#include "output/parameters/export_parameters.h"

#include "platform/db/day_numbers.h"
#include "platform/db/jet_dialect.h"
#include "platform/files/file_replace.h"

namespace velmora::output {
namespace {

const char* const kTables[] = {
    "CREATE TABLE Tovar_tree (Code  Integer, Parent Integer, Pos Integer, HCh_T Integer, Picture Integer, "
    "Comment CHAR(135))",
    "CREATE TABLE Price_main (Code  Integer, Art CHAR(15), Kategor CHAR(50), Tovar CHAR(200), PriceBase Real, "
    "Nacen Integer, Price_1 Currency, Price_2 Currency, Price_3 Currency, Price_4 Currency, Dates Integer, "
    "Garant CHAR(50))",
    "CREATE TABLE Parametr (Id  Integer, Name_out CHAR(50), Nacen_out Integer, Path CHAR(250), FileName CHAR(50), "
    "SheetName CHAR(50), Dates Integer)",
    "CREATE TABLE Svod (Art CHAR(30), Tovar CHAR(200), Price Currency, Pricemax Currency, Postavshik CHAR(50), "
    "Code_sootv Integer, Obrab CHAR(5), Dates Integer, Garant CHAR(50))",
    "CREATE TABLE Zakaz (Id Counter, Code Integer, Art CHAR(30), Tovar CHAR(200), Price_1 Currency, "
    "Price_2 Currency, Price_3 Currency, Price_4 Currency, PriceOut Currency, Quantity Integer, Obrab CHAR(5))",
};

// The copies, from the price database into the attached new file.
struct Copy {
    const char* count;
    const char* insert;
};
const Copy kOffers{"SELECT count(*) FROM main.svod",
                   "INSERT INTO managers.Svod (Art, Tovar, Price, Pricemax, Postavshik, Code_sootv, Obrab, Dates, "
                   "Garant) SELECT Art, Tovar, Price, Pricemax, Postavshik, Code_sootv, Obrab, Dates, Garant "
                   "FROM main.svod"};
const Copy kGroups{"SELECT count(*) FROM main.Tovar_tree",
                   "INSERT INTO managers.Tovar_tree (Code, Parent, Pos, HCh_T, Picture, Comment) "
                   "SELECT Code, Parent, Pos, HCh_T, Picture, Comment FROM main.Tovar_tree"};
const Copy kGoods{"SELECT count(*) FROM main.Price_Out",
                  "INSERT INTO managers.Price_main (Code, Art, Kategor, Tovar, PriceBase, Nacen, Price_1, Price_2, "
                  "Price_3, Price_4, Dates, Garant) SELECT Code, Art, Kategor, Tovar, PriceBase, Nacen, Price_1, "
                  "Price_2, Price_3, Price_4, Dates, Garant FROM main.Price_Out ORDER BY ID"};

// The new file attached to the price database's connection for the copy,
// detached again whatever happens.
class Attached {
public:
    Attached(db::Connection& connection, const QString& path) : connection_(connection)
    {
        db::Statement attach = connection_.prepare(QStringLiteral("ATTACH DATABASE ?1 AS managers"));
        attach.bindText(1, path);
        attach.execute();
    }
    ~Attached()
    {
        try {
            connection_.exec(QStringLiteral("DETACH DATABASE managers"));
        } catch (...) {
        }
    }
    Attached(const Attached&) = delete;
    Attached& operator=(const Attached&) = delete;

private:
    db::Connection& connection_;
};

qint64 rowsOf(db::Connection& priceDb, const Copy& copy)
{
    return priceDb.scalar(QString::fromLatin1(copy.count)).toLongLong();
}

void copyTable(db::Connection& priceDb, const Copy& copy, qint64 rows, Progress* progress)
{
    priceDb.exec(QString::fromLatin1(copy.insert));
    stepProgress(progress, int(rows) + 1);
}

} // namespace

ManagersDatabaseResult WriteManagersDatabase(db::Connection& priceDb, const QString& path, const QDate& today,
                                             Progress* progress)
{
    ReplacementFile temporary(path);
    if (!temporary.isValid())
        throw OutputError(QStringLiteral("Файл не был сохранен: ") + path);
    {
        db::Connection created(temporary.path(), db::OpenMode::Create);
        for (const char* ddl : kTables)
            created.exec(db::translateJetSql(QString::fromLatin1(ddl)));
    }

    ManagersDatabaseResult result;
    {
        Attached attached(priceDb, temporary.path());
        result.groups = rowsOf(priceDb, kGroups);
        result.goods = rowsOf(priceDb, kGoods);
        result.offers = rowsOf(priceDb, kOffers);
        startProgress(progress, QString(), int(result.groups + result.goods + result.offers + 4));

        db::Transaction transaction(priceDb);
        copyTable(priceDb, kOffers, result.offers, progress);
        copyTable(priceDb, kGroups, result.groups, progress);
        copyTable(priceDb, kGoods, result.goods, progress);
        // The copy carries row 3's date of this export; the price database
        // gets it once the file is in place.
        db::Statement parameters = priceDb.prepare(QStringLiteral(
            "INSERT INTO managers.Parametr (Id, Name_out, Nacen_out, Path, FileName, SheetName, Dates) "
            "SELECT Id, Name_out, Nacen_out, Path, FileName, SheetName, CASE WHEN Id = 3 THEN ?1 ELSE Dates END "
            "FROM main.parametr ORDER BY Id"));
        parameters.bindInt(1, db::dayNumber(today));
        parameters.execute();
        stepProgress(progress);
        transaction.commit();
    }

    if (!temporary.replaceTarget())
        throw OutputError(QStringLiteral("Файл не был сохранен: ") + path);
    stampParameterDate(priceDb, 3, today);
    return result;
}

} // namespace velmora::output
