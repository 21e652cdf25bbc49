#include "price_list_ini.h"

#include "platform/db/day_numbers.h"
#include "platform/files/ini_document.h"
#include "suppliers/setup/price_list_settings.h"

#include <QRegularExpression>

#include <array>
#include <vector>

namespace velmora {

namespace {

const QString kCount = QStringLiteral("CountPriceList");

// The sheet keys in file order; the value columns of AllPostavPage have
// the same names.
constexpr std::array<const char*, 8> kColumnKeys = {"Column_art",    "Column_Tovar",      "Column_Price",
                                                    "Column_Pricemax", "Column_Sklad",    "Column_Garant",
                                                    "Column_Description", "Column_TextNoName"};

// The eight column names, for a statement's column list.
QString columnList()
{
    QStringList columns;
    for (const char* key : kColumnKeys)
        columns << QLatin1String(key);
    return columns.join(QStringLiteral(", "));
}

QString listSection(int n) { return QStringLiteral("PriceList%1").arg(n); }
QString sheetSection(int n, int k) { return QStringLiteral("PriceList%1Sheet%2").arg(n).arg(k); }

void say(const MessageSink& messages, const QString& text)
{
    if (messages)
        messages(text);
}

QString decimalComma(double value) { return QString::number(value, 'g', 15).replace(u'.', u','); }

struct SheetRow {
    QString sheetName = QStringLiteral("-");
    std::array<qint64, kColumnKeys.size()> columns{};
    QString obrab;
    qint64 nacen = 0;
    qint64 valuta = 0;
    qint64 priceSet = 0;
    QString tovarPrefiks;
};

struct ListRow {
    QString name;
    QString path;
    qint64 sheetCount = 0;
    double priceConversion = 1;
    bool queued = false;
    std::vector<SheetRow> sheets;
};

std::vector<SheetRow> readSheets(const db::Connection& priceDb, const QString& supplier)
{
    db::Statement select = priceDb.prepare(
        QStringLiteral("SELECT SheetName, %1, Obrab, Nacen, Valuta, PriceSet, TovarPrefiks FROM AllPostavPage"
                       " WHERE Postavshik = ?1 ORDER BY SheetName")
            .arg(columnList()));
    select.bindText(1, supplier);
    std::vector<SheetRow> sheets;
    while (select.step()) {
        SheetRow sheet;
        sheet.sheetName = select.text(0);
        for (size_t i = 0; i < kColumnKeys.size(); ++i)
            sheet.columns[i] = select.integer(int(i) + 1);
        const int after = int(kColumnKeys.size()) + 1;
        sheet.obrab = select.text(after);
        sheet.nacen = select.integer(after + 1);
        sheet.valuta = select.integer(after + 2);
        sheet.priceSet = select.integer(after + 3);
        sheet.tovarPrefiks = select.text(after + 4);
        sheets.push_back(std::move(sheet));
    }
    return sheets;
}

QList<std::pair<QString, QString>> sheetKeys(const SheetRow& sheet)
{
    QList<std::pair<QString, QString>> keys{{QStringLiteral("SheetName"), sheet.sheetName}};
    for (size_t i = 0; i < kColumnKeys.size(); ++i)
        keys.append({QLatin1String(kColumnKeys[i]), QString::number(sheet.columns[i])});
    keys.append({QStringLiteral("Obrab"), sheet.obrab});
    keys.append({QStringLiteral("Nacen"), QString::number(sheet.nacen)});
    keys.append({QStringLiteral("Valuta"), QString::number(sheet.valuta)});
    keys.append({QStringLiteral("PriceSet"), QString::number(sheet.priceSet)});
    keys.append({QStringLiteral("TovarPrefiks"), sheet.tovarPrefiks});
    return keys;
}

// A whole number of the file; `fallback` when the key is missing, empty or
// no number.
qint64 wholeNumber(const IniDocument& file, const QString& section, const char* key, qint64 fallback)
{
    bool ok = false;
    const qint64 value = file.value(section, QLatin1String(key)).value_or(QString()).toLongLong(&ok);
    return ok ? value : fallback;
}

// Reads the file into rows; the report collects what was missing: the
// lists without a name first, then the others' missing keys.
std::vector<ListRow> readLists(const IniDocument& file, int count, QString& report)
{
    std::vector<ListRow> lists;
    QString missingKeys;
    for (int n = 1; n <= count; ++n) {
        const QString section = listSection(n);
        const QString name = file.value(section, QStringLiteral("Postavshik")).value_or(QString());
        if (name.isEmpty()) {
            report += QStringLiteral("Отсутствует название для поставщика ") + section + u'\r';
            continue;
        }
        ListRow list;
        list.name = name;
        const std::optional<QString> path = file.value(section, QStringLiteral("Path"));
        list.path = path.value_or(QStringLiteral("-"));
        if (!path)
            missingKeys += QStringLiteral("для поставщика ") + section + QStringLiteral(" не указан путь к файлу") + u'\r';
        list.sheetCount = wholeNumber(file, section, "SheetCount", 0);
        if (list.sheetCount == 0)
            missingKeys += QStringLiteral("для поставщика ") + section + QStringLiteral(" не указано количество листов в файле")
                + u'\r';
        list.queued = file.value(section, QStringLiteral("SetPriceLoad")).value_or(QString()) == u"1";
        list.priceConversion = ParseConversionFactor(file.value(section, QStringLiteral("PriceConversion")).value_or(QString()))
                                   .value_or(1.0);
        for (int k = 1; k <= list.sheetCount; ++k) {
            const QString sheetName = sheetSection(n, k);
            if (!file.hasSection(sheetName))
                continue;
            SheetRow sheet;
            sheet.sheetName = file.value(sheetName, QStringLiteral("SheetName")).value_or(QStringLiteral("-"));
            for (size_t i = 0; i < kColumnKeys.size(); ++i)
                sheet.columns[i] = wholeNumber(file, sheetName, kColumnKeys[i], 0);
            sheet.obrab = file.value(sheetName, QStringLiteral("Obrab")).value_or(QString());
            sheet.nacen = wholeNumber(file, sheetName, "Nacen", 0);
            sheet.valuta = wholeNumber(file, sheetName, "Valuta", 0);
            sheet.priceSet = wholeNumber(file, sheetName, "PriceSet", 0);
            sheet.tovarPrefiks = file.value(sheetName, QStringLiteral("TovarPrefiks")).value_or(QString());
            list.sheets.push_back(std::move(sheet));
        }
        lists.push_back(std::move(list));
    }
    report += missingKeys;
    return lists;
}

void replaceLists(db::Connection& priceDb, const std::vector<ListRow>& lists)
{
    db::Transaction transaction(priceDb);
    priceDb.exec(QStringLiteral("DELETE FROM AllPostavSetup; DELETE FROM AllPostavPage;"));
    db::Statement firstDay =
        priceDb.prepare(QStringLiteral("SELECT MIN(Dates) FROM AllTovarPostav WHERE Postavshik = ?1"));
    db::Statement list = priceDb.prepare(QStringLiteral(
        "INSERT INTO AllPostavSetup (Id, Postavshik, Path, SheetCount, Obrab, PostavVisible, Dates, PriceConversion,"
        " Valuta) VALUES (?1, ?2, ?3, ?4, '', 1, ?5, ?6, 0)"));
    db::Statement sheet = priceDb.prepare(
        QStringLiteral("INSERT INTO AllPostavPage (Postavshik, SheetName, %1, Obrab, Nacen, Valuta, PriceSet, TovarPrefiks)"
                       " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15)")
            .arg(columnList()));
    const qint64 today = db::dayNumber(QDate::currentDate());
    qint64 id = 0;
    for (const ListRow& row : lists) {
        firstDay.bindText(1, row.name);
        const qint64 day = firstDay.step() && !firstDay.isNull(0) ? firstDay.integer(0) : today;
        firstDay.reset();
        list.bindInt(1, ++id).bindText(2, row.name).bindText(3, row.path).bindInt(4, row.sheetCount).bindInt(5, day);
        list.bindDouble(6, row.priceConversion);
        list.execute();
        list.reset();
        for (const SheetRow& s : row.sheets) {
            sheet.bindText(1, row.name).bindText(2, s.sheetName);
            for (size_t i = 0; i < kColumnKeys.size(); ++i)
                sheet.bindInt(int(i) + 3, s.columns[i]);
            sheet.bindText(11, s.obrab).bindInt(12, s.nacen).bindInt(13, s.valuta).bindInt(14, s.priceSet);
            sheet.bindText(15, s.tovarPrefiks);
            sheet.execute();
            sheet.reset();
        }
    }
    transaction.commit();
}

} // namespace

bool SavePriceListSettingsToIni(db::Connection& priceDb, const QString& iniPath, const PriceListIniExtras& extras,
                                const MessageSink& messages)
{
    try {
        std::vector<ListRow> lists;
        {
            db::Statement select = priceDb.prepare(QStringLiteral(
                "SELECT Postavshik, Path, SheetCount, PriceConversion FROM AllPostavSetup ORDER BY Id"));
            while (select.step()) {
                ListRow row;
                row.name = select.text(0);
                row.path = select.text(1);
                row.sheetCount = select.integer(2);
                row.priceConversion = select.isNull(3) ? 1.0 : select.number(3);
                row.queued = extras.loadQueue.contains(row.name);
                lists.push_back(std::move(row));
            }
        }
        for (ListRow& row : lists)
            row.sheets = readSheets(priceDb, row.name);

        IniDocument file = IniDocument::load(iniPath);
        static const QRegularExpression listSectionName(QStringLiteral("^PriceList\\d+(Sheet\\d+)?$"),
                                                        QRegularExpression::CaseInsensitiveOption);
        file.removeSections([](const QString& section) { return listSectionName.match(section).hasMatch(); });
        file.setValue(kCount, QStringLiteral("Count"), QString::number(lists.size()));
        file.setValue(kCount, QStringLiteral("KursValuta_Dollar"), extras.rateDollar);
        file.setValue(kCount, QStringLiteral("KursValuta_Evro"), extras.rateEvro);
        file.setValue(kCount, QStringLiteral("KursValuta_Grivna"), extras.rateGrivna);
        file.setValue(kCount, QStringLiteral("KursValuta_BYR"), extras.rateBYR);
        file.setValue(kCount, QStringLiteral("SaveAllPath"), extras.saveAllPath);
        int n = 0;
        for (const ListRow& row : lists) {
            file.appendSection(listSection(++n), {{QStringLiteral("Postavshik"), row.name},
                                                  {QStringLiteral("SetPriceLoad"), row.queued ? QStringLiteral("1") : QStringLiteral("0")},
                                                  {QStringLiteral("Path"), row.path},
                                                  {QStringLiteral("SheetCount"), QString::number(row.sheetCount)},
                                                  {QStringLiteral("PriceConversion"), decimalComma(row.priceConversion)}});
            int k = 0;
            for (const SheetRow& sheet : row.sheets)
                file.appendSection(sheetSection(n, ++k), sheetKeys(sheet));
        }
        file.save(iniPath);
        return true;
    } catch (const std::exception& error) {
        say(messages, QString::fromUtf8(error.what()));
        return false;
    }
}

PriceListIniImport LoadPriceListSettingsFromIni(db::Connection& priceDb, const QString& iniPath,
                                                const MessageSink& messages)
{
    PriceListIniImport result;
    try {
        const IniDocument file = IniDocument::load(iniPath);
        result.saveAllPath = file.value(kCount, QStringLiteral("SaveAllPath")).value_or(QString());
        bool counted = false;
        const int count = file.value(kCount, QStringLiteral("Count")).value_or(QString()).toInt(&counted);
        if (!counted || count < 0) {
            say(messages, QStringLiteral("  Выбран неверный ini-файл"));
            return result;
        }
        QString report;
        const std::vector<ListRow> lists = readLists(file, count, report);
        replaceLists(priceDb, lists);
        result.imported = true;
        for (const ListRow& row : lists)
            if (row.queued)
                result.loadQueue << row.name;
        if (!report.isEmpty())
            result.report = report + QStringLiteral("\r\rПодкорректируйте настройки и сохраните ini-файл.");
    } catch (const std::exception& error) {
        say(messages, QString::fromUtf8(error.what()));
    }
    return result;
}

} // namespace velmora
