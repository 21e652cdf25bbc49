#include "new_tovar_import.h"

#include "group_tree.h"

#include <QHash>

#include <vector>

namespace velmora::catalogue {

const QString kNewTovarContinueQuestion =
    QStringLiteral("Эта операция приведет к очистке предыдущей базы товаров. Продолжить?");
const QString kNewTovarClearQuestion = QStringLiteral("Очистить таблицы Price_main и Tovar_tree?");

namespace {

// The tables emptied with the catalogue: every one that refers to goods
// codes or group codes, as the catalogue import empties them.
const char* const kTablesOfGoodsCodes[] = {"price_main", "Tovar_tree", "Price_Tovar_Info", "krit",
                                           "kritiskl",   "sootv",      "svod",             "Sootv_All",
                                           "musor",      "price_all",  "MinPrice_Group",   "MinPrice_Nacen"};

QList<qint64> integerColumn(db::Connection& priceDb, const QString& sql)
{
    QList<qint64> values;
    db::Statement s = priceDb.prepare(sql);
    while (s.step())
        values << s.integer(0);
    return values;
}

struct NewGroup {
    qint64 code = 0;
    qint64 parent = 0;
    qint64 pos = 0;
    QString name;
    bool hasChildren = false;
};

// The groups of the run, made as paths are first met.
class GroupMaker {
public:
    GroupMaker(qint64 firstCode, qint64 firstTopPos) : nextCode_(firstCode) { nextPos_.insert(0, firstTopPos); }

    // The group at the end of the path, made with the levels it lacks.
    qint64 groupOf(const QStringList& path)
    {
        qint64 parent = 0;
        QString key;
        for (const QString& name : path) {
            key += QChar(0x1F) + name;
            auto found = made_.constFind(key);
            if (found != made_.cend()) {
                parent = found.value();
                continue;
            }
            if (parent != 0)
                groups_[size_t(index_.value(parent))].hasChildren = true;
            const qint64 code = nextCode_++;
            qint64& pos = nextPos_[parent];
            if (pos == 0)
                pos = 1;
            groups_.push_back(NewGroup{code, parent, pos++, name, false});
            index_.insert(code, qsizetype(groups_.size()) - 1);
            made_.insert(key, code);
            parent = code;
        }
        return parent;
    }

    const std::vector<NewGroup>& groups() const { return groups_; }

private:
    qint64 nextCode_;
    QHash<qint64, qint64> nextPos_;
    QHash<QString, qint64> made_;
    QHash<qint64, qsizetype> index_;
    std::vector<NewGroup> groups_;
};

} // namespace

NewTovarResult buildCatalogueFromNewTovar(db::Connection& priceDb, bool clearFirst)
{
    NewTovarResult result;
    db::Transaction tx(priceDb);

    result.refusedEmptyId = priceDb.scalar(QStringLiteral("SELECT 1 FROM New_tovar WHERE id IS NULL LIMIT 1")).isValid();
    QString refused = QStringLiteral("SELECT id FROM New_tovar WHERE id IS NOT NULL GROUP BY id HAVING count(*) > 1");
    if (!clearFirst)
        refused += QStringLiteral(" UNION SELECT id FROM New_tovar WHERE id IN (SELECT Code FROM price_main)");
    result.refusedIds = integerColumn(priceDb, refused + QStringLiteral(" ORDER BY 1"));
    if (result.refusedEmptyId || !result.refusedIds.isEmpty())
        return result;

    if (clearFirst)
        for (const char* table : kTablesOfGoodsCodes)
            priceDb.exec(QStringLiteral("DELETE FROM \"%1\"").arg(QLatin1String(table)));

    GroupMaker maker(priceDb.scalar(QStringLiteral("SELECT ifnull(max(Code), 0) + 1 FROM Tovar_tree")).toLongLong(),
                     priceDb.scalar(QStringLiteral("SELECT ifnull(max(Pos), 0) + 1 FROM Tovar_tree WHERE Parent = 0"))
                         .toLongLong());

    db::Statement rows = priceDb.prepare(QStringLiteral(
        "SELECT id, ifnull(kategoria, ''), ifnull(gr, ''), ifnull(podgr1, ''), ifnull(podgr2, ''), ifnull(podgr3, ''),"
        " art, name, ifnull(price1, 0) FROM New_tovar ORDER BY id"));
    db::Statement good = priceDb.prepare(
        QStringLiteral("INSERT INTO price_main (Code, Art, Kategor, Tovar, PriceBase, Price_1, Nacen)"
                       " VALUES (?1, ?2, ?3, ?4, ?5, ?5, 0)"));
    db::Statement details = priceDb.prepare(
        QStringLiteral("INSERT INTO Price_Tovar_Info (Code, Art, URL, pictures, Comment) VALUES (?1, ?2, '', '', '')"));
    // Details left behind by goods deleted earlier do not stay with the new ones.
    priceDb.exec(QStringLiteral("DELETE FROM Price_Tovar_Info WHERE Code IN (SELECT id FROM New_tovar)"));
    while (rows.step()) {
        QStringList path;
        for (int level = 1; level <= 5; ++level) {
            const QString name = rows.text(level);
            if (name.trimmed().isEmpty())
                break;
            path << name;
        }
        const qint64 group = maker.groupOf(path);
        const qint64 id = rows.integer(0);
        good.bindInt(1, id).bind(2, rows.value(6)).bindText(3, QString::number(group)).bind(4, rows.value(7));
        good.bindDouble(5, rows.number(8)).execute();
        good.reset();
        details.bindInt(1, id).bind(2, rows.value(6)).execute();
        details.reset();
        ++result.goods;
    }

    db::Statement insertGroup = priceDb.prepare(
        QStringLiteral("INSERT INTO Tovar_tree (Code, Parent, Pos, HCh_T, Picture, Comment, Nacen, Garant)"
                       " VALUES (?1, ?2, ?3, ?4, ?5, ?6, 0, '')"));
    for (const NewGroup& g : maker.groups()) {
        insertGroup.bindInt(1, g.code).bindInt(2, g.parent).bindInt(3, g.pos).bindInt(4, g.hasChildren ? 1 : 0);
        insertGroup.bindInt(5, kNewGroupPicture).bindText(6, g.name).execute();
        insertGroup.reset();
    }
    result.groups = int(maker.groups().size());
    tx.commit();
    return result;
}

QString newTovarRefusalMessage(const NewTovarResult& result)
{
    if (result.refusedEmptyId)
        return QStringLiteral("В таблице New_tovar есть товары без кода (id). Каталог не изменен.");
    if (result.refusedIds.isEmpty())
        return QString();
    QStringList ids;
    for (qsizetype i = 0; i < result.refusedIds.size() && i < 10; ++i)
        ids << QString::number(result.refusedIds[i]);
    if (result.refusedIds.size() > 10)
        ids << QStringLiteral("...");
    return QStringLiteral("Коды товаров (id) из таблицы New_tovar повторяются или уже заняты: %1.\rКаталог не изменен.")
        .arg(ids.join(QStringLiteral(", ")));
}

} // namespace velmora::catalogue
