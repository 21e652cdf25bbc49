#include "shop_upload.h"

#include "output/parameters/export_parameters.h"

#include "platform/files/error_text.h"
#include "platform/odbc/odbc_connection.h"
#include "platform/odbc/odbc_error.h"

#include <QSet>
#include <QStringList>

#include <algorithm>
#include <climits>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace velmora::output {
namespace {

using odbc::ParameterType;

constexpr int kBatchRows = 1000;

struct ShopTable {
    const char* name;   // the live table on the server
    const char* create; // its columns (the "_tmp" table's)
    const char* source; // the rows in the price database, columns in the server's order
    const char* columns;
    std::vector<ParameterType> types;
    const char* progressText;
};

// The tables in the order they are copied.
const std::vector<ShopTable>& shopTables()
{
    using enum ParameterType;
    static const std::vector<ShopTable> tables = {
        {"price_main",
         "Code int(11) default NULL,  Art varchar(15) default NULL,  Kategor varchar(50) default NULL,  "
         "Tovar varchar(200) default NULL,  PriceBase float default NULL,  Nacen int(11) default NULL,  "
         "Price_1 double default NULL,  Price_2 double default NULL,  Price_3 double default NULL,  "
         "Price_4 double default NULL,  Dates int(11) default NULL,  Garant varchar(50) default NULL",
         "SELECT Code, Art, Kategor, Tovar, PriceBase, Nacen, Price_1, Price_2, Price_3, Price_4, Dates, Garant "
         "FROM Price_Out ORDER BY ID",
         "Code, Art, Kategor, Tovar, PriceBase, Nacen, Price_1, Price_2, Price_3, Price_4, Dates, Garant",
         {Integer, Text, Text, Text, Double, Integer, Double, Double, Double, Double, Integer, Text},
         "                        Экспорт основного прайса"},
        {"parametr",
         "Id int(11) default NULL,  Name_out varchar(50) default NULL,  Nacen_out int(11) default NULL,  "
         "Path varchar(250) default NULL,  FileName varchar(50) default NULL,  SheetName varchar(50) default NULL,  "
         "Dates int(11) default NULL",
         "SELECT Id, Name_out, Nacen_out, Path, FileName, SheetName, Dates FROM parametr ORDER BY rowid",
         "Id, Name_out, Nacen_out, Path, FileName, SheetName, Dates",
         {Integer, Text, Integer, Text, Text, Text, Integer},
         "                           Экспорт параметров"},
        {"svod",
         "Art varchar(30) default NULL,  Tovar varchar(200) default NULL,  Price double default NULL,  "
         "Pricemax double default NULL,  Postavshik varchar(50) default NULL,  Code_sootv int(11) default NULL,  "
         "Obrab varchar(5) default NULL,  Dates int(11) default NULL,  Garant varchar(50) default NULL",
         "SELECT Art, Tovar, Price, Pricemax, Postavshik, Code_sootv, Obrab, Dates, Garant FROM svod ORDER BY rowid",
         "Art, Tovar, Price, Pricemax, Postavshik, Code_sootv, Obrab, Dates, Garant",
         {Text, Text, Double, Double, Text, Integer, Text, Integer, Text},
         "                         Экспорт сводного прайса"},
        {"tovar_tree",
         "Code int(11) default NULL,  Parent int(11) default NULL,  Pos int(11) default NULL,  "
         "HCh_T int(11) default NULL,  Picture int(11) default NULL,  Comment varchar(135) default NULL",
         "SELECT Code, Parent, Pos, HCh_T, Picture, Comment FROM Tovar_tree ORDER BY rowid",
         "Code, Parent, Pos, HCh_T, Picture, Comment",
         {Integer, Integer, Integer, Integer, Integer, Text},
         "                             Экспорт структуры"},
    };
    return tables;
}

// The order the temporary tables are made in.
constexpr const char* kCreateOrder[] = {"parametr", "price_main", "svod", "tovar_tree"};

QString named(const char* table, const char* suffix) { return QLatin1String(table) + QLatin1String(suffix); }

QString tableList(const char* suffix)
{
    QStringList names;
    for (const char* table : kCreateOrder)
        names << named(table, suffix);
    return names.join(u',');
}

const ShopTable& tableNamed(const char* name)
{
    const auto& tables = shopTables();
    return *std::find_if(tables.begin(), tables.end(),
                         [name](const ShopTable& t) { return qstrcmp(t.name, name) == 0; });
}

// One thread that runs one piece of work at a time, the next given once
// the last is done (wait() first); an exception of the work comes out of
// wait().
class SerialWorker {
public:
    SerialWorker() : thread_([this] { loop(); }) {}
    ~SerialWorker()
    {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }
    SerialWorker(const SerialWorker&) = delete;
    SerialWorker& operator=(const SerialWorker&) = delete;

    void start(std::function<void()> work)
    {
        {
            std::lock_guard lock(mutex_);
            work_ = std::move(work);
        }
        changed_.notify_all();
    }
    void wait()
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return !work_; });
        if (error_)
            std::rethrow_exception(std::exchange(error_, nullptr));
    }

private:
    void loop()
    {
        std::unique_lock lock(mutex_);
        for (;;) {
            changed_.wait(lock, [this] { return stopping_ || work_; });
            if (!work_)
                return;
            lock.unlock();
            std::exception_ptr error;
            try {
                work_();
            } catch (...) {
                error = std::current_exception();
            }
            lock.lock();
            error_ = error;
            work_ = nullptr;
            changed_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::function<void()> work_;
    std::exception_ptr error_;
    bool stopping_ = false;
    std::thread thread_;
};

// Streams one table of the price database into its "_tmp" table. While the
// server stores one array of rows, the next is read: the statement runs on
// a thread of its own, one array at a time, and the progress moves on here.
qint64 copyTable(db::Connection& priceDb, odbc::Connection& server, const ShopTable& table, Progress* progress)
{
    const qint64 total = priceDb.scalar(QStringLiteral("SELECT count(*) FROM (%1)").arg(QLatin1String(table.source)))
                             .toLongLong();
    startProgress(progress, QString::fromUtf8(table.progressText), int(std::min<qint64>(total, INT_MAX)));

    const int columns = int(table.types.size());
    QStringList marks;
    for (int c = 0; c < columns; ++c)
        marks << QStringLiteral("?");
    odbc::Statement insert = server.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                                .arg(named(table.name, "_tmp"), QLatin1String(table.columns),
                                                     marks.join(u',')));
    odbc::ParameterBatch batches[2] = {odbc::ParameterBatch(table.types, kBatchRows),
                                       odbc::ParameterBatch(table.types, kBatchRows)};
    int filling = 0;
    SerialWorker sender;
    int sent = 0; // rows of the array being sent
    const auto waitSent = [&] {
        sender.wait(); // the statement's error, if any, comes out here
        stepProgress(progress, sent);
        sent = 0;
    };
    const auto send = [&] {
        odbc::ParameterBatch& batch = batches[filling];
        if (batch.size() == 0)
            return;
        waitSent();
        sent = batch.size();
        sender.start([&insert, &batch] { insert.execute(batch); });
        filling = 1 - filling;
        batches[filling].clear();
    };

    qint64 rows = 0;
    try {
        db::Statement select = priceDb.prepare(QLatin1String(table.source));
        while (select.step()) {
            odbc::ParameterBatch& batch = batches[filling];
            for (int c = 0; c < columns; ++c) {
                if (select.isNull(c)) {
                    batch.setNull(c);
                    continue;
                }
                switch (table.types[size_t(c)]) {
                case ParameterType::Integer: batch.setInt(c, select.integer(c)); break;
                case ParameterType::Double: batch.setDouble(c, select.number(c)); break;
                case ParameterType::Text: batch.setText(c, select.text(c)); break;
                }
            }
            batch.endRow();
            ++rows;
            if (batch.isFull())
                send();
        }
        send();
        waitSent();
    } catch (...) {
        // The statement and the arrays it reads must outlive its run.
        try {
            sender.wait();
        } catch (...) {
        }
        throw;
    }
    return rows;
}

// The tables of the server's database, by their exact names.
QSet<QString> serverTables(odbc::Connection& server)
{
    QSet<QString> names;
    odbc::Statement show = server.query(QStringLiteral("SHOW TABLES"));
    while (show.step())
        names.insert(show.text(0));
    return names;
}

// One statement: every live table becomes "_old" and every "_tmp" table
// live, so no moment sees a table missing.
void swapTables(odbc::Connection& server)
{
    const QSet<QString> existing = serverTables(server);
    QStringList renames;
    for (const char* table : kCreateOrder) {
        const QString live = QLatin1String(table);
        if (existing.contains(live))
            renames << live + QStringLiteral(" TO ") + named(table, "_old");
        renames << named(table, "_tmp") + QStringLiteral(" TO ") + live;
    }
    server.exec(QStringLiteral("RENAME TABLE ") + renames.join(QStringLiteral(", ")));
}

} // namespace

QString shopUploadNoConnectionMessage()
{
    return QStringLiteral("                В параметрах экспорта не указана строка соединения!\r\r"
                          "Меню \"Экспорт\" -> \"Параметры экспорта\" -> \"Настройки обновления данных в MySQL\"");
}

QString shopUploadDoneMessage() { return QStringLiteral("Данные в MySQL обновлены."); }

QString shopUploadFailedMessage(const QString& reason)
{
    return QStringLiteral("Данные в MySQL не обновлены: прежние таблицы магазина оставлены как были.\r\r") + reason;
}

ShopUploadResult UploadShopTables(db::Connection& priceDb, Progress* progress)
{
    ShopUploadResult result;
    struct Finish {
        Progress* progress;
        ~Finish() { finishProgress(progress); }
    } finish{progress};

    odbc::Connection server;
    bool madeTables = false;
    try {
        const QString connectionString = readExportParameters(priceDb).connectionString();
        if (connectionString.isEmpty()) {
            result.message = shopUploadNoConnectionMessage();
            return result;
        }
        server.open(connectionString);
        // A value a column cannot hold fails its statement on MyISAM too.
        server.exec(QStringLiteral("SET SESSION sql_mode = CONCAT_WS(',', @@SESSION.sql_mode, 'STRICT_ALL_TABLES')"));

        madeTables = true;
        server.exec(QStringLiteral("drop table if exists ") + tableList("_tmp"));
        // Left by an upload stopped between its swap and its clean-up.
        server.exec(QStringLiteral("drop table if exists ") + tableList("_old"));
        startProgress(progress, QStringLiteral("                 Создание временных страниц"), 4);
        for (const char* table : kCreateOrder) {
            server.exec(QStringLiteral("CREATE TABLE if not exists %1 (%2) ENGINE=MyISAM")
                            .arg(named(table, "_tmp"), QLatin1String(tableNamed(table).create)));
            stepProgress(progress);
        }

        qint64* counts[] = {&result.priceMainRows, &result.parametrRows, &result.svodRows, &result.tovarTreeRows};
        for (size_t i = 0; i < shopTables().size(); ++i)
            *counts[i] = copyTable(priceDb, server, shopTables()[i], progress);

        startProgress(progress, QStringLiteral("                    Обновление данных в таблицах"), 2);
        swapTables(server);
        madeTables = false;
        stepProgress(progress);
        server.exec(QStringLiteral("drop table if exists ") + tableList("_old"));
        stepProgress(progress);
        server.close();
        result.done = true;
        result.message = shopUploadDoneMessage();
    } catch (const std::exception& e) {
        result.message = shopUploadFailedMessage(ErrorText(e));
        if (madeTables && server.isOpen()) {
            try {
                server.exec(QStringLiteral("drop table if exists ") + tableList("_tmp"));
            } catch (const odbc::OdbcError&) {
                // The failure already reported is the one that matters.
            }
        }
        server.close();
    }
    return result;
}

} // namespace velmora::output
