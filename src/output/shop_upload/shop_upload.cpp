#include "shop_upload.h"

#include "output/parameters/export_parameters.h"

#include "platform/files/error_text.h"
#include "platform/odbc/odbc_connection.h"
#include "platform/odbc/odbc_error.h"
#include "storage/value_helpers.h"

#include <QSet>
#include <QStringList>

#include <algorithm>
#include <climits>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace velmora::output {
namespace {

using odbc::ParameterType;

constexpr int kBatchRows = 1000;

struct ShopColumn {
    const char* name;
    const char* serverType; // as the "_tmp" table declares it: int(11), varchar(n), float, double
};

struct ShopTable {
    const char* name;  // the live table on the server
    const char* from;  // where its rows are in the price database, and their order
    std::vector<ShopColumn> columns; // the server's columns; the price database's of the same names
    const char* progressText;
    // Names a row in a message: "%k" stands for column k's value (from 1).
    const char* rowName;
};

// The tables in the order they are copied.
const std::vector<ShopTable>& shopTables()
{
    static const std::vector<ShopTable> tables = {
        {"price_main", "FROM Price_Out ORDER BY ID",
         {{"Code", "int(11)"}, {"Art", "varchar(15)"}, {"Kategor", "varchar(50)"}, {"Tovar", "varchar(200)"},
          {"PriceBase", "float"}, {"Nacen", "int(11)"}, {"Price_1", "double"}, {"Price_2", "double"},
          {"Price_3", "double"}, {"Price_4", "double"}, {"Dates", "int(11)"}, {"Garant", "varchar(50)"}},
         "                        Экспорт основного прайса", "Товар с кодом %1 \"%4\""},
        {"parametr", "FROM parametr ORDER BY rowid",
         {{"Id", "int(11)"}, {"Name_out", "varchar(50)"}, {"Nacen_out", "int(11)"}, {"Path", "varchar(250)"},
          {"FileName", "varchar(50)"}, {"SheetName", "varchar(50)"}, {"Dates", "int(11)"}},
         "                           Экспорт параметров", "Параметры экспорта, строка %1"},
        {"svod", "FROM svod ORDER BY rowid",
         {{"Art", "varchar(30)"}, {"Tovar", "varchar(200)"}, {"Price", "double"}, {"Pricemax", "double"},
          {"Postavshik", "varchar(50)"}, {"Code_sootv", "int(11)"}, {"Obrab", "varchar(5)"}, {"Dates", "int(11)"},
          {"Garant", "varchar(50)"}},
         "                         Экспорт сводного прайса",
         "Сводный прайс: товар с кодом %6, поставщик \"%5\", позиция \"%2\""},
        {"tovar_tree", "FROM Tovar_tree ORDER BY rowid",
         {{"Code", "int(11)"}, {"Parent", "int(11)"}, {"Pos", "int(11)"}, {"HCh_T", "int(11)"},
          {"Picture", "int(11)"}, {"Comment", "varchar(135)"}},
         "                             Экспорт структуры", "Группа с кодом %1 \"%6\""},
    };
    return tables;
}

ParameterType parameterType(const ShopColumn& column)
{
    const QLatin1String type(column.serverType);
    if (type.startsWith(QLatin1String("varchar")))
        return ParameterType::Text;
    return type.startsWith(QLatin1String("int")) ? ParameterType::Integer : ParameterType::Double;
}

// The characters a varchar(n) column holds; 0 for the others.
int textLength(const ShopColumn& column)
{
    const QLatin1String type(column.serverType);
    if (!type.startsWith(QLatin1String("varchar(")))
        return 0;
    return QString(type.sliced(8).chopped(1)).toInt();
}

QString columnNames(const ShopTable& table)
{
    QStringList names;
    for (const ShopColumn& c : table.columns)
        names << QLatin1String(c.name);
    return names.join(QStringLiteral(", "));
}

QString sourceQuery(const ShopTable& table)
{
    return QStringLiteral("SELECT ") + columnNames(table) + u' ' + QLatin1String(table.from);
}

QString createColumns(const ShopTable& table)
{
    QStringList columns;
    for (const ShopColumn& c : table.columns)
        columns << QLatin1String(c.name) + u' ' + QLatin1String(c.serverType) + QStringLiteral(" default NULL");
    return columns.join(QStringLiteral(",  "));
}

// The longest text of a row's name in a message.
constexpr int kShownLength = 60;
// The most values a message lists.
constexpr int kMostListed = 10;

// A value as a message shows it: NULs as blanks, cut to kShownLength.
QString shown(const QString& text)
{
    const QString blanked = NulsAsBlanks(text);
    return blanked.size() > kShownLength ? blanked.left(kShownLength) + QStringLiteral("…") : blanked;
}

// The table's rowName for the row `select` stands on: each "%k" the start of
// column k's value.
QString rowNamed(const ShopTable& table, const db::Statement& select)
{
    const QString pattern = QString::fromUtf8(table.rowName);
    QString row;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != u'%' || i + 1 == pattern.size() || !pattern[i + 1].isDigit()) {
            row += pattern[i];
            continue;
        }
        int column = 0;
        while (i + 1 < pattern.size() && pattern[i + 1].isDigit())
            column = column * 10 + pattern[++i].digitValue();
        row += shown(select.text(column - 1));
    }
    return row;
}

// The characters of a text as the server counts them: code points.
qint64 characters(const QString& text)
{
    qint64 surrogates = 0;
    for (const QChar c : text)
        surrogates += c.isLowSurrogate() ? 1 : 0;
    return text.size() - surrogates;
}

// The values of the price database longer than their server columns hold,
// one line each naming its row (a good by its code and name) and its
// column; empty when every value fits. The server would refuse such a value
// only midway through the upload, so they are looked for before it starts.
// Lengths are in characters on both sides. SQLite's length() stops at a NUL
// the server counts, so a text holding one is counted here.
QString overLongValues(db::Connection& priceDb)
{
    QStringList lines;
    qint64 found = 0;
    for (const ShopTable& table : shopTables()) {
        QStringList mayBeTooLong;
        std::vector<std::pair<int, int>> checked; // column, characters it holds
        for (int c = 0; c < int(table.columns.size()); ++c) {
            if (const int holds = textLength(table.columns[size_t(c)])) {
                mayBeTooLong << QStringLiteral("length(%1) > %2 OR instr(CAST(%1 AS BLOB), x'00') > 0")
                                    .arg(QLatin1String(table.columns[size_t(c)].name), QString::number(holds));
                checked.emplace_back(c, holds);
            }
        }
        db::Statement select = priceDb.prepare(QStringLiteral("SELECT * FROM (%1) WHERE %2")
                                                   .arg(sourceQuery(table), mayBeTooLong.join(QStringLiteral(" OR "))));
        while (select.step()) {
            const QString row = rowNamed(table, select);
            for (const auto& [c, holds] : checked) {
                const qint64 length = select.isNull(c) ? 0 : characters(select.text(c));
                if (length <= holds)
                    continue;
                if (++found > kMostListed)
                    continue;
                lines << QStringLiteral("%1: поле %2 таблицы %3 — %4, на сервере не больше %5")
                             .arg(row, QLatin1String(table.columns[size_t(c)].name), QLatin1String(table.name),
                                  RussianCount(length, QStringLiteral("знак"), QStringLiteral("знака"),
                                               QStringLiteral("знаков")),
                                  QString::number(holds));
            }
        }
    }
    if (lines.isEmpty())
        return QString();
    QString text = QStringLiteral("На сервер ничего не отправлено: эти значения длиннее колонок таблиц магазина.\r")
                   + lines.join(u'\r');
    if (found > kMostListed)
        text += QStringLiteral("\rи ещё ") + QString::number(found - kMostListed);
    return text;
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
    const QString source = sourceQuery(table);
    const qint64 total = priceDb.scalar(QStringLiteral("SELECT count(*) FROM (%1)").arg(source)).toLongLong();
    startProgress(progress, QString::fromUtf8(table.progressText), int(std::min<qint64>(total, INT_MAX)));

    const int columns = int(table.columns.size());
    std::vector<ParameterType> types;
    QStringList marks;
    for (const ShopColumn& c : table.columns) {
        types.push_back(parameterType(c));
        marks << QStringLiteral("?");
    }
    odbc::Statement insert = server.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                                .arg(named(table.name, "_tmp"), columnNames(table), marks.join(u',')));
    odbc::ParameterBatch batches[2] = {odbc::ParameterBatch(types, kBatchRows),
                                       odbc::ParameterBatch(types, kBatchRows)};
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
        db::Statement select = priceDb.prepare(source);
        while (select.step()) {
            odbc::ParameterBatch& batch = batches[filling];
            for (int c = 0; c < columns; ++c) {
                if (select.isNull(c)) {
                    batch.setNull(c);
                    continue;
                }
                switch (types[size_t(c)]) {
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
        if (const QString overLong = overLongValues(priceDb); !overLong.isEmpty()) {
            result.message = shopUploadFailedMessage(overLong);
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
                            .arg(named(table, "_tmp"), createColumns(tableNamed(table))));
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
