#include "supplier_edit.h"

namespace velmora::catalogue {
namespace {

const char* const kSupplierTables[] = {"price_all", "musor", "MinPrice_Group", "sootv", "Sootv_All", "svod",
                                       "postavshik"};

} // namespace

QString deleteSupplierQuestion() { return QStringLiteral("Будет удален поставщик и все его товары!. Продолжить?"); }

QString mergeSuppliersQuestion() { return QStringLiteral("Поставщик с таким названием уже есть. Объединить?"); }

QString emptySupplierNameMessage() { return QStringLiteral("Укажите новое название поставщика!"); }

void deleteLoadingSupplier(db::Connection& priceDb, const QString& postavshik)
{
    db::Transaction transaction(priceDb);
    for (const char* table : kSupplierTables) {
        db::Statement erase = priceDb.prepare(QStringLiteral("DELETE FROM %1 WHERE Postavshik = ?1").arg(QLatin1String(table)));
        erase.bindText(1, postavshik);
        erase.execute();
    }
    transaction.commit();
}

SupplierRename renameLoadingSupplier(db::Connection& priceDb, const QString& postavshik, const QString& newName,
                                     const Question& ask, const MessageSink& tell)
{
    const QString name = newName.trimmed();
    if (name.isEmpty()) {
        if (tell)
            tell(emptySupplierNameMessage());
        return SupplierRename::Refused;
    }
    // Names compare without case: a new spelling of the same name is a rename.
    const bool sameSupplier = name.compare(postavshik, Qt::CaseInsensitive) == 0
        || name.toCaseFolded() == postavshik.toCaseFolded();
    db::Statement other = priceDb.prepare(QStringLiteral("SELECT 1 FROM postavshik WHERE Postavshik = ?1"));
    other.bindText(1, name);
    const bool merge = !sameSupplier && other.step();
    if (merge && !(ask && ask(mergeSuppliersQuestion())))
        return SupplierRename::Refused;

    db::Transaction transaction(priceDb);
    for (const char* table : kSupplierTables) {
        const QString sql = merge && QLatin1String(table) == QLatin1String("postavshik")
            ? QStringLiteral("DELETE FROM postavshik WHERE Postavshik = ?1")
            : QStringLiteral("UPDATE %1 SET Postavshik = ?2 WHERE Postavshik = ?1").arg(QLatin1String(table));
        db::Statement change = priceDb.prepare(sql);
        change.bindText(1, postavshik);
        if (change.parameterCount() > 1)
            change.bindText(2, name);
        change.execute();
    }
    transaction.commit();
    return merge ? SupplierRename::Merged : SupplierRename::Renamed;
}

} // namespace velmora::catalogue
