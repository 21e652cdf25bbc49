#include "suppliers/brands/priority_brands.h"

#include "storage/schema.h"

namespace velmora::brands {

void EnsurePriorityBrandTable(db::Connection& priceDb)
{
    if (!priceDb.tableExists(QStringLiteral("BrendPriory")))
        createTable(priceDb, priceTable(QStringLiteral("BrendPriory")));
}

QVector<PriorityBrand> ReadPriorityBrands(db::Connection& priceDb)
{
    db::Statement select = priceDb.prepare(QStringLiteral("SELECT ID, BrendName FROM BrendPriory ORDER BY BrendName"));
    QVector<PriorityBrand> brands;
    while (select.step())
        brands.append(PriorityBrand{select.integer(0), select.text(1)});
    return brands;
}

QStringList ReadLoadedMakerTexts(db::Connection& priceDb)
{
    db::Statement select = priceDb.prepare(QStringLiteral(
        "SELECT TextNoName FROM AllTovarPostav WHERE TextNoName IS NOT NULL AND TextNoName <> ''"
        " GROUP BY TextNoName ORDER BY TextNoName"));
    QStringList makers;
    while (select.step())
        makers << select.text(0);
    return makers;
}

QString AddPriorityBrand(db::Connection& priceDb, const QString& name)
{
    db::Statement known = priceDb.prepare(QStringLiteral("SELECT 1 FROM BrendPriory WHERE BrendName = ?1"));
    known.bindText(1, name);
    if (known.step())
        return QStringLiteral("Бренд \"") + name + QStringLiteral("\" уже добавлен!");
    db::Statement insert = priceDb.prepare(QStringLiteral("INSERT INTO BrendPriory (BrendName) VALUES (?1)"));
    insert.bindText(1, name);
    insert.execute();
    return {};
}

QString DeletePriorityBrandQuestion(const QString& name)
{
    return QStringLiteral("Удалить бренд \"") + name + QStringLiteral("\" из приоритетов?");
}

void DeletePriorityBrand(db::Connection& priceDb, qint64 id)
{
    db::Statement remove = priceDb.prepare(QStringLiteral("DELETE FROM BrendPriory WHERE ID = ?1"));
    remove.bindInt(1, id);
    remove.execute();
}

} // namespace velmora::brands
