#include "suppliers/setup/sheet_settings.h"

#include "platform/db/statement.h"

#include <algorithm>

namespace velmora {

namespace {

const std::array<const char*, kSheetFieldCount> kFieldColumns = {
    "Column_art", "Column_Tovar", "Column_Price", "Column_Pricemax",
    "Column_Sklad", "Column_Garant", "Column_Description", "Column_TextNoName"};

const QString kSelect = QStringLiteral(
    "SELECT Postavshik, SheetName, Column_art, Column_Tovar, Column_Price, Column_Pricemax, Column_Sklad, "
    "Column_Garant, Column_Description, Column_TextNoName, Obrab, Nacen, Valuta, PriceSet, TovarPrefiks "
    "FROM AllPostavPage ");

SheetSettings readRow(const db::Statement& st)
{
    SheetSettings s;
    s.Postavshik = st.text(0);
    s.SheetName = st.text(1);
    for (int i = 0; i < kSheetFieldCount; ++i)
        s.columns[size_t(i)] = st.integer(2 + i);
    s.Obrab = st.text(10);
    s.Nacen = int(st.integer(11));
    s.Valuta = int(st.integer(12));
    s.PriceSet = int(st.integer(13));
    s.TovarPrefiks = st.text(14);
    return s;
}

QString nonNull(const QString& s) { return s.isNull() ? QStringLiteral("") : s; }

// One column of one sheet row; `column` is always one of this file's own
// names, never text from outside.
bool setValue(db::Connection& priceDb, const char* column, const QString& name, const QString& sheet,
              const QVariant& value)
{
    db::Statement st = priceDb.prepare(
        QStringLiteral("UPDATE AllPostavPage SET %1 = ?1 WHERE Postavshik = ?2 AND SheetName = ?3")
            .arg(QLatin1String(column)));
    st.bind(1, value).bind(2, name).bind(3, sheet);
    st.execute();
    return priceDb.changes() > 0;
}

} // namespace

QString SheetFieldColumn(SheetField field) { return QLatin1String(kFieldColumns[size_t(field)]); }

std::vector<SheetSettings> ReadSheets(db::Connection& priceDb, const QString& name)
{
    std::vector<SheetSettings> rows;
    db::Statement st = priceDb.prepare(kSelect + QStringLiteral("WHERE Postavshik = ?1 ORDER BY SheetName, rowid"));
    st.bind(1, name);
    while (st.step())
        rows.push_back(readRow(st));
    return rows;
}

std::optional<SheetSettings> ReadSheet(db::Connection& priceDb, const QString& name, const QString& sheet)
{
    db::Statement st = priceDb.prepare(kSelect + QStringLiteral("WHERE Postavshik = ?1 AND SheetName = ?2"));
    st.bind(1, name).bind(2, sheet);
    if (!st.step())
        return std::nullopt;
    return readRow(st);
}

void InsertSheet(db::Connection& priceDb, const SheetSettings& s)
{
    db::Statement st = priceDb.prepare(QStringLiteral(
        "INSERT INTO AllPostavPage (Postavshik, SheetName, Column_art, Column_Tovar, Column_Price, Column_Pricemax, "
        "Column_Sklad, Column_Garant, Column_Description, Column_TextNoName, Obrab, Nacen, Valuta, PriceSet, "
        "TovarPrefiks) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15)"));
    st.bind(1, s.Postavshik).bind(2, s.SheetName);
    for (int i = 0; i < kSheetFieldCount; ++i)
        st.bind(3 + i, s.columns[size_t(i)]);
    st.bind(11, nonNull(s.Obrab)).bind(12, s.Nacen).bind(13, s.Valuta).bind(14, s.PriceSet).bind(15, nonNull(s.TovarPrefiks));
    st.execute();
}

bool SetSheetColumnSpec(db::Connection& priceDb, const QString& name, const QString& sheet, SheetField field, qint64 spec)
{
    return setValue(priceDb, kFieldColumns[size_t(field)], name, sheet, spec);
}

bool SetSheetValuta(db::Connection& priceDb, const QString& name, const QString& sheet, int valuta)
{
    return setValue(priceDb, "Valuta", name, sheet, valuta);
}

bool SetSheetNacen(db::Connection& priceDb, const QString& name, const QString& sheet, int nacen)
{
    return setValue(priceDb, "Nacen", name, sheet, nacen);
}

bool SetSheetPriceSet(db::Connection& priceDb, const QString& name, const QString& sheet, int priceSet)
{
    return setValue(priceDb, "PriceSet", name, sheet, priceSet);
}

bool SetSheetPrefix(db::Connection& priceDb, const QString& name, const QString& sheet, const QString& prefix)
{
    return setValue(priceDb, "TovarPrefiks", name, sheet, nonNull(prefix));
}

bool SetSheetColumnSpecs(db::Connection& priceDb, const QString& name, const QString& sheet,
                         const std::array<qint64, kSheetFieldCount>& specs)
{
    db::Transaction tx(priceDb);
    for (int i = 0; i < kSheetFieldCount; ++i) {
        if (!setValue(priceDb, kFieldColumns[size_t(i)], name, sheet, specs[size_t(i)]))
            return false;
    }
    tx.commit();
    return true;
}

bool IsSheetNamePattern(const QString& sheetName)
{
    return sheetName.startsWith(u'[') && sheetName.endsWith(u']');
}

bool DeleteSheet(db::Connection& priceDb, const QString& name, const QString& sheet)
{
    db::Statement drop = priceDb.prepare(QStringLiteral("DELETE FROM AllPostavPage WHERE Postavshik = ?1 AND SheetName = ?2"));
    drop.bind(1, name).bind(2, sheet);
    drop.execute();
    return priceDb.changes() > 0;
}

SheetRenameResult RenameSheet(db::Connection& priceDb, const QString& name, const QString& oldSheet,
                              const QString& newSheet)
{
    if (newSheet == oldSheet)
        return SheetRenameResult::Unchanged;
    if (newSheet.trimmed().isEmpty())
        return SheetRenameResult::EmptyName;
    db::Transaction tx(priceDb);
    if (!ReadSheet(priceDb, name, oldSheet))
        return SheetRenameResult::NoSuchSheet;
    // The column compares without case, so "лист1" -> "Лист1" is the row itself.
    if (oldSheet.compare(newSheet, Qt::CaseInsensitive) != 0 && ReadSheet(priceDb, name, newSheet))
        return SheetRenameResult::NameTaken;
    setValue(priceDb, "SheetName", name, oldSheet, newSheet);
    tx.commit();
    return SheetRenameResult::Renamed;
}

SheetSyncResult SyncSheetsWithWorkbook(db::Connection& priceDb, const QString& name, const QString& path,
                                       const QStringList& worksheetNames, int valutaForNewRows, StaleRows stale)
{
    SheetSyncResult result;
    db::Transaction tx(priceDb);
    db::Statement setup = priceDb.prepare(QStringLiteral(
        "UPDATE AllPostavSetup SET Path = ?1, SheetCount = ?2, PostavVisible = 1 WHERE Postavshik = ?3"));
    setup.bind(1, path).bind(2, worksheetNames.size()).bind(3, name);
    setup.execute();

    // A CSV file's one sheet is named after the file, which changes with
    // every newer file: its rows are never taken for stale.
    const bool csv = path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive);
    const std::vector<SheetSettings> rows = ReadSheets(priceDb, name);
    std::vector<bool> known(size_t(worksheetNames.size()), false);
    std::vector<bool> keep(rows.size(), csv);
    for (size_t r = 0; r < rows.size(); ++r) {
        const QString wanted = rows[r].SheetName.trimmed().toUpper();
        // A "[text]" row stays even when no worksheet holds its text now.
        const bool pattern = IsSheetNamePattern(wanted);
        const QString inner = pattern ? wanted.mid(1).chopped(1).trimmed() : QString();
        if (pattern)
            keep[r] = true;
        for (int k = 0; k < worksheetNames.size(); ++k) {
            const QString worksheet = worksheetNames[k].trimmed().toUpper();
            if (pattern ? worksheet.contains(inner) : worksheet == wanted) {
                known[size_t(k)] = true;
                keep[r] = true;
            }
        }
    }
    // The only worksheet of a workbook is read by the first row whatever
    // its name: when no row names it, that row keeps the list's settings.
    if (worksheetNames.size() == 1 && !known[0] && !rows.empty()) {
        keep[0] = true;
        known[0] = true;
    }
    if (csv)
        std::fill(known.begin(), known.end(), !rows.empty());

    db::Statement drop = priceDb.prepare(
        QStringLiteral("DELETE FROM AllPostavPage WHERE Postavshik = ?1 AND SheetName = ?2"));
    for (size_t r = 0; r < rows.size(); ++r) {
        if (keep[r]) {
            result.kept << rows[r].SheetName;
            continue;
        }
        result.removed << rows[r].SheetName;
        if (stale == StaleRows::Keep)
            continue;
        drop.reset();
        drop.bind(1, name).bind(2, rows[r].SheetName);
        drop.execute();
    }
    for (int k = 0; k < worksheetNames.size(); ++k) {
        if (known[size_t(k)])
            continue;
        SheetSettings fresh;
        fresh.Postavshik = name;
        fresh.SheetName = worksheetNames[k];
        fresh.Valuta = valutaForNewRows;
        InsertSheet(priceDb, fresh);
        result.added << worksheetNames[k];
    }
    tx.commit();
    return result;
}

} // namespace velmora
