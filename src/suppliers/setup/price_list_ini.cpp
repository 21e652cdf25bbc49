#include "price_list_ini.h"

#include "platform/db/day_numbers.h"
#include "platform/files/error_text.h"
#include "platform/files/ini_document.h"
#include "suppliers/setup/price_list_ini_reader.h"

#include <QRegularExpression>

#include <vector>

namespace velmora {

namespace {

// The eight column names, for a statement's column list.
QString columnList()
{
    QStringList columns;
    for (const char* key : kPriceListColumnKeys)
        columns << QLatin1String(key);
    return columns.join(QStringLiteral(", "));
}

void say(const MessageSink& messages, const QString& text)
{
    if (messages)
        messages(text);
}

QString decimalComma(double value) { return QString::number(value, 'g', 15).replace(u'.', u','); }

std::vector<PriceListIniSheet> readSheets(const db::Connection& priceDb, const QString& supplier)
{
    db::Statement select = priceDb.prepare(
        QStringLiteral("SELECT SheetName, %1, Obrab, Nacen, Valuta, PriceSet, TovarPrefiks FROM AllPostavPage"
                       " WHERE Postavshik = ?1 ORDER BY SheetName")
            .arg(columnList()));
    select.bindText(1, supplier);
    std::vector<PriceListIniSheet> sheets;
    while (select.step()) {
        PriceListIniSheet sheet;
        sheet.sheetName = select.text(0);
        for (size_t i = 0; i < kPriceListColumnKeys.size(); ++i)
            sheet.columns[i] = select.integer(int(i) + 1);
        const int after = int(kPriceListColumnKeys.size()) + 1;
        sheet.obrab = select.text(after);
        sheet.nacen = select.integer(after + 1);
        sheet.valuta = select.integer(after + 2);
        sheet.priceSet = select.integer(after + 3);
        sheet.tovarPrefiks = select.text(after + 4);
        sheets.push_back(std::move(sheet));
    }
    return sheets;
}

QList<std::pair<QString, QString>> sheetKeys(const PriceListIniSheet& sheet)
{
    QList<std::pair<QString, QString>> keys{{QStringLiteral("SheetName"), sheet.sheetName}};
    for (size_t i = 0; i < kPriceListColumnKeys.size(); ++i)
        keys.append({QLatin1String(kPriceListColumnKeys[i]), QString::number(sheet.columns[i])});
    keys.append({QStringLiteral("Obrab"), sheet.obrab});
    keys.append({QStringLiteral("Nacen"), QString::number(sheet.nacen)});
    keys.append({QStringLiteral("Valuta"), QString::number(sheet.valuta)});
    keys.append({QStringLiteral("PriceSet"), QString::number(sheet.priceSet)});
    keys.append({QStringLiteral("TovarPrefiks"), sheet.tovarPrefiks});
    return keys;
}

void replaceLists(db::Connection& priceDb, const std::vector<PriceListIniList>& lists)
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
    for (const PriceListIniList& row : lists) {
        firstDay.bindText(1, row.name);
        const qint64 day = firstDay.step() && !firstDay.isNull(0) ? firstDay.integer(0) : today;
        firstDay.reset();
        list.bindInt(1, ++id).bindText(2, row.name).bindText(3, row.path).bindInt(4, row.sheetCount).bindInt(5, day);
        list.bindDouble(6, row.priceConversion);
        list.execute();
        list.reset();
        for (const PriceListIniSheet& s : row.sheets) {
            sheet.bindText(1, row.name).bindText(2, s.sheetName);
            for (size_t i = 0; i < kPriceListColumnKeys.size(); ++i)
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
        std::vector<PriceListIniList> lists;
        {
            db::Statement select = priceDb.prepare(QStringLiteral(
                "SELECT Postavshik, Path, SheetCount, PriceConversion FROM AllPostavSetup ORDER BY Id"));
            while (select.step()) {
                PriceListIniList row;
                row.name = select.text(0);
                row.path = select.text(1);
                row.sheetCount = select.integer(2);
                row.priceConversion = select.isNull(3) ? 1.0 : select.number(3);
                row.queued = extras.loadQueue.contains(row.name);
                lists.push_back(std::move(row));
            }
        }
        for (PriceListIniList& row : lists)
            row.sheets = readSheets(priceDb, row.name);

        IniDocument file = IniDocument::load(iniPath);
        static const QRegularExpression listSectionName(QStringLiteral("^PriceList\\d+(Sheet\\d+)?$"),
                                                        QRegularExpression::CaseInsensitiveOption);
        file.removeSections([](const QString& section) { return listSectionName.match(section).hasMatch(); });
        file.setValue(kPriceListCountSection, QStringLiteral("Count"), QString::number(lists.size()));
        file.setValue(kPriceListCountSection, QStringLiteral("KursValuta_Dollar"), extras.rateDollar);
        file.setValue(kPriceListCountSection, QStringLiteral("KursValuta_Evro"), extras.rateEvro);
        file.setValue(kPriceListCountSection, QStringLiteral("KursValuta_Grivna"), extras.rateGrivna);
        file.setValue(kPriceListCountSection, QStringLiteral("KursValuta_BYR"), extras.rateBYR);
        file.setValue(kPriceListCountSection, QStringLiteral("SaveAllPath"), extras.saveAllPath);
        int n = 0;
        for (const PriceListIniList& row : lists) {
            file.appendSection(priceListSection(++n), {{QStringLiteral("Postavshik"), row.name},
                                                  {QStringLiteral("SetPriceLoad"), row.queued ? QStringLiteral("1") : QStringLiteral("0")},
                                                  {QStringLiteral("Path"), row.path},
                                                  {QStringLiteral("SheetCount"), QString::number(row.sheetCount)},
                                                  {QStringLiteral("PriceConversion"), decimalComma(row.priceConversion)}});
            int k = 0;
            for (const PriceListIniSheet& sheet : row.sheets)
                file.appendSection(priceListSheetSection(n, ++k), sheetKeys(sheet));
        }
        file.save(iniPath);
        return true;
    } catch (const std::exception& error) {
        say(messages, ErrorText(error));
        return false;
    }
}

PriceListIniImport LoadPriceListSettingsFromIni(db::Connection& priceDb, const QString& iniPath,
                                                const MessageSink& messages)
{
    PriceListIniImport result;
    try {
        const IniDocument file = IniDocument::load(iniPath);
        result.saveAllPath = file.value(kPriceListCountSection, QStringLiteral("SaveAllPath")).value_or(QString());
        bool counted = false;
        const qint64 count =
            file.value(kPriceListCountSection, QStringLiteral("Count")).value_or(QString()).toLongLong(&counted);
        if (!counted || count < 0) {
            say(messages, QStringLiteral("  Выбран неверный ini-файл"));
            return result;
        }
        QString report;
        const std::vector<PriceListIniList> lists = ReadPriceListIniLists(file, count, report);
        replaceLists(priceDb, lists);
        result.imported = true;
        for (const PriceListIniList& row : lists)
            if (row.queued)
                result.loadQueue << row.name;
        if (!report.isEmpty())
            result.report = report + QStringLiteral("\r\rПодкорректируйте настройки и сохраните ini-файл.");
    } catch (const std::exception& error) {
        say(messages, ErrorText(error));
    }
    return result;
}

} // namespace velmora
