#include "orders/user_export.h"

#include "orders/order_workbook_parts.h"
#include "platform/db/db_error.h"
#include "platform/db/text_functions.h"
#include "platform/files/error_text.h"
#include "platform/spreadsheet/sheet_error.h"
#include "platform/spreadsheet/workbook.h"
#include "storage/price_text.h"
#include "storage/settings_store.h"

#include <QDir>

#include <string>
#include <unordered_map>
#include <vector>

namespace velmora::orders {

namespace {

using namespace detail;

// The template's cell map.
constexpr int kDateRow = 1, kDateColumn = 4;  // D1
constexpr int kHeaderRow = 2;
constexpr int kSupplierColumn = 6;             // F: the supplier column copied per supplier
constexpr int kFirstRow = 4;                   // the data row
constexpr int kFixedColumns = 5;               // A..E before the suppliers

const QString kPreparing = QStringLiteral("Подготовка данных для выгрузки:  -  ");
const QString kWriting = QStringLiteral(" Экспорт данных в Excel:  -  ");
const QString kCopyingFormats = QStringLiteral(" Копирование формата строчек");
const QString kWritingRows = QStringLiteral(" Выгрузка товаров по собственному складу");
const QString kFinished = QStringLiteral(" Экспорт сводного успешно ЗАВЕРШЕН!    файл обновлен: ");

// Passes a status on only when it differs from the last one, and polls the
// stop request.
class Status {
public:
    explicit Status(const UserExportReport& report) : report_(report) {}

    void show(const QString& status, const QString& caption = kUserExportStopCaption)
    {
        if (status == lastStatus_ && caption == lastCaption_)
            return;
        lastStatus_ = status;
        lastCaption_ = caption;
        if (report_.status)
            report_.status(status, caption);
    }
    void percent(const QString& prefix, qint64 done, qint64 total)
    {
        const qint64 p = total > 0 ? done * 100 / total : 100;
        show(prefix + QString::number(p) + u'%');
    }
    bool stopRequested() const { return report_.stopRequested && report_.stopRequested(); }
    // Reports the stop; true when one was requested.
    bool stopped(const QString& text = kUserExportStopped)
    {
        if (!stopRequested())
            return false;
        show(text, kUserExportCaption);
        return true;
    }

private:
    const UserExportReport& report_;
    QString lastStatus_;
    QString lastCaption_;
};

void setText(sheet::ValueBlock& rows, int row, int column, std::string_view text)
{
    if (!text.empty())
        rows.setTextUtf8(row, column, text.data(), text.size());
}

std::optional<sheet::ValueBlock> readRows(db::Connection& priceDb, const QStringList& suppliers,
                                          const QString& ownStockName, Status& status)
{
    const int n = int(suppliers.size());
    const int maxColumn = kFixedColumns + n + 1;

    // The own stock's keys in the database's order; the first offer of a
    // key stands for it.
    db::Statement own = priceDb.prepare(QStringLiteral(
        "SELECT Description, Art, Tovar, TextNoName, Sklad FROM AllTovarPostav"
        " WHERE Postavshik = ?1 AND Description <> '*****' ORDER BY Description, Number"));
    own.bindText(1, ownStockName);
    std::unordered_map<std::string, int> rowOfKey;
    std::string buffer;
    sheet::ValueBlock rows(0, maxColumn);
    while (own.step()) {
        std::string key(db::foldUtf8(own.utf8(0), buffer));
        if (rowOfKey.count(key))
            continue;
        const int row = rows.rows() + 1;
        rows.resize(row, maxColumn);
        rowOfKey.emplace(std::move(key), row);
        for (int c = 1; c <= 4; ++c)
            setText(rows, row, c + 1, own.utf8(c));
    }
    if (status.stopped())
        return std::nullopt;

    // Each chosen supplier's offers of those keys, a later one replacing an
    // earlier one.
    if (n > 0) {
        std::unordered_map<std::string, std::vector<int>> columnsOf;
        for (int i = 0; i < n; ++i)
            columnsOf[db::foldUtf8(suppliers[i].toStdString())].push_back(kFixedColumns + 1 + i);
        // One pass over the table in Number order, the keys looked up
        // first: most offers are of no own-stock key, and an index on the
        // suppliers would cost a sort by Number.
        db::Statement offers = priceDb.prepare(
            QStringLiteral("SELECT Number, Description, Postavshik, Sklad FROM AllTovarPostav NOT INDEXED"
                           " WHERE Description <> '*****' ORDER BY Number"));
        const qint64 total = priceDb.scalar(QStringLiteral("SELECT max(Number) FROM AllTovarPostav")).toLongLong();
        std::string supplierBuffer;
        qint64 done = 0;
        while (offers.step()) {
            if ((++done & 1023) == 0) {
                if (status.stopped())
                    return std::nullopt;
                status.percent(kPreparing, offers.integer(0), total);
            }
            const auto found = rowOfKey.find(std::string(db::foldUtf8(offers.utf8(1), buffer)));
            if (found == rowOfKey.end())
                continue;
            const auto columns = columnsOf.find(std::string(db::foldUtf8(offers.utf8(2), supplierBuffer)));
            if (columns == columnsOf.end())
                continue;
            const std::string_view sklad = offers.utf8(3);
            for (int column : columns->second) {
                if (sklad.empty())
                    rows.clear(found->second, column);
                else
                    setText(rows, found->second, column, sklad);
            }
        }
    }
    status.percent(kPreparing, 1, 1);

    // The largest quantity: with one supplier its own, with more the
    // largest from 0.
    for (int row = 1; row <= rows.rows(); ++row) {
        if ((row & 1023) == 0 && status.stopped(u' ' + kUserExportStopped))
            return std::nullopt;
        double largest = 0;
        if (n == 1) {
            largest = ParsePrice(rows.text(row, kFixedColumns + 1));
        } else {
            for (int column = kFixedColumns + 1; column <= kFixedColumns + n; ++column)
                if (rows.type(row, column) != sheet::CellType::Empty)
                    largest = std::max(largest, ParsePrice(rows.text(row, column)));
        }
        rows.setNumber(row, maxColumn, largest);
    }
    if (status.stopped(u' ' + kUserExportStopped))
        return std::nullopt;
    return rows;
}

QStringList columnSuppliers(const QStringList& names)
{
    QStringList suppliers;
    for (const QString& name : names)
        if (!name.isEmpty())
            suppliers << name;
    return suppliers;
}

// The template filled with the supplier columns and the rows.
sheet::Workbook fillTemplate(const UserExportRequest& request, const QStringList& suppliers,
                             const sheet::ValueBlock& rows, Status& status)
{
    sheet::Workbook book = OpenOrderTemplate(request.programFolder, kUserExportTemplate);
    sheet::Worksheet& sheet = book.sheet(1);
    sheet.activate();
    sheet.setValue(kDateRow, kDateColumn, sheet::CellValue::date(QDateTime(request.today, QTime(0, 0))));
    for (qsizetype i = suppliers.size() - 1; i >= 0; --i) {
        sheet.setText(kHeaderRow, kSupplierColumn, suppliers[i]);
        sheet.insertColumnCopy(kSupplierColumn, kSupplierColumn + 1);
    }
    sheet.deleteColumns(kSupplierColumn);

    const int m = rows.rows();
    status.percent(kWriting, m, m);
    status.show(kCopyingFormats);
    if (m >= 2)
        sheet.insertRowCopy(kFirstRow, kFirstRow + 1, m - 1);
    status.show(kWritingRows);
    if (m >= 1)
        sheet.setValues({kFirstRow, 1}, rows);
    sheet.setActiveCell({2, 2});
    return book;
}

} // namespace

QString UserExportFileName(const QDate& today)
{
    return QStringLiteral("Сводный от ") + DottedDate(today) + QStringLiteral(".xlsx");
}

QString DefaultUserExportFolder(const QString& programFolder)
{
    QString folder = QDir::cleanPath(programFolder);
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

QString ReadUserExportFolder(db::Connection& orderDb, const QString& programFolder)
{
    QString folder = SettingsStore(orderDb)
                         .readText(kUserExportFolderSetting, DefaultUserExportFolder(programFolder))
                         .trimmed();
    if (folder.isEmpty())
        return DefaultUserExportFolder(programFolder);
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

std::optional<sheet::ValueBlock> ReadUserExportRows(db::Connection& priceDb, const QStringList& suppliers,
                                                    const QString& ownStockName, const UserExportReport& report)
{
    Status status(report);
    return readRows(priceDb, columnSuppliers(suppliers), ownStockName, status);
}

UserExportResult RunUserExport(db::Connection& priceDb, const UserExportRequest& request,
                               const UserExportReport& report)
{
    Status status(report);
    UserExportResult result;
    status.show(QString());
    const QStringList suppliers = columnSuppliers(request.supplierNames);
    if (status.stopped()) {
        result.outcome = UserExportOutcome::Stopped;
        return result;
    }
    try {
        const std::optional<sheet::ValueBlock> rows = readRows(priceDb, suppliers, request.ownStockName, status);
        if (!rows) {
            result.outcome = UserExportOutcome::Stopped;
            return result;
        }
        const sheet::Workbook book = fillTemplate(request, suppliers, *rows, status);
        if (status.stopped(u' ' + kUserExportStopped)) {
            result.outcome = UserExportOutcome::Stopped;
            return result;
        }
        const QString folder = request.folder.isEmpty() ? DefaultUserExportFolder(request.programFolder)
                                                        : request.folder;
        const QString path = QDir(folder).filePath(UserExportFileName(request.today));
        SaveOrderWorkbook(book, folder, path);
        result.outcome = UserExportOutcome::Finished;
        result.path = path;
        status.show(kFinished + path, kUserExportCaption);
    } catch (const OrderExportError& error) {
        result.errorText = QString::fromStdString(error.what());
    } catch (const sheet::SheetError& error) {
        result.errorText = error.message();
    } catch (const db::DbError& error) {
        result.errorText = QString::fromStdString(error.what());
    } catch (const std::bad_alloc&) {
        result.errorText = QStringLiteral("Недостаточно памяти для экспорта сводного прайс-листа");
    } catch (const std::exception& error) {
        result.errorText = ErrorText(error);
    }
    if (result.outcome == UserExportOutcome::Failed)
        status.show(result.errorText, kUserExportCaption);
    return result;
}

} // namespace velmora::orders
