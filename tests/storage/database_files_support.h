#pragma once

#include "platform/db/connection.h"
#include "storage/goods_search_index.h"
#include "storage/maintenance_report.h"
#include "storage/schema.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

#include <gtest/gtest.h>

namespace velmora::testing {

// What makeFilledPriceDatabase leaves out: the files' handling depends on
// neither, and they make a file several times larger.
enum class FillExtras { All, NoSearchIndex, OffersOnly };

// A new price database holding `offers` offers of two suppliers, each
// with a currency row and a history row, both suppliers' price lists and
// sheets, and a marker setting that tells one file from another. The
// offers are written in one transaction with one prepared insert each; with
// OffersOnly their texts are short, for files of many offers.
inline void makeFilledPriceDatabase(const QString& path, int offers, const QString& marker,
                                    FillExtras extras = FillExtras::All)
{
    const bool withSearchIndex = extras == FillExtras::All;
    const bool withRatesAndHistory = extras != FillExtras::OffersOnly;
    createPriceDatabase(path);
    db::Connection c(path);
    if (!withSearchIndex)
        dropSupplierGoodsIndex(c);
    db::Transaction t(c);
    const QString suppliers[] = {withRatesAndHistory ? QStringLiteral("Поставщик") : QStringLiteral("P1"),
                                 withRatesAndHistory ? QStringLiteral("Supplier Two") : QStringLiteral("P2")};
    {
        db::Statement setup = c.prepare(QStringLiteral(
            "INSERT INTO AllPostavSetup (Id, Postavshik, Path, SheetCount, Obrab, PostavVisible, Dates,"
            " PriceConversion, Valuta) VALUES (?1, ?2, '/prices/x.xls', 1, '', 1, 45000, 1, 0)"));
        db::Statement page = c.prepare(QStringLiteral(
            "INSERT INTO AllPostavPage (Postavshik, SheetName, Column_art, Column_Tovar, Column_Price) VALUES (?1, 'Лист1', 1, 2, 3)"));
        for (int i = 0; i < 2; ++i) {
            setup.bindInt(1, i + 1).bindText(2, suppliers[i]).execute();
            setup.reset();
            page.bindText(1, suppliers[i]).execute();
            page.reset();
        }
    }
    db::Statement offer = c.prepare(QStringLiteral(
        "INSERT INTO AllTovarPostav (Art, Tovar, Price, Pricemax, Postavshik, Check_sootv, Check_obrab, Dates,"
        " Garant, Sklad, Description, TextNoName, PriceOut) VALUES (?1, ?2, ?3, ?3, ?4, '', '', 45000, '', '', '', '', ?3)"));
    db::Statement rate = c.prepare(QStringLiteral(
        "INSERT INTO AllTovarValuta (ID_Tovar, Price, Pricemax, Valuta, PriceConversion, Nacen, Dates)"
        " VALUES (last_insert_rowid(), ?1, ?1, 'USD', 1, 0, 45000)"));
    db::Statement history = c.prepare(QStringLiteral(
        "INSERT INTO AllPriceHistory (Postavshik, Art, Tovar, Price, Pricemax, PriceOut, Dates)"
        " VALUES (?1, ?2, ?3, ?4, ?4, ?4, 45000)"));
    for (int i = 0; i < offers; ++i) {
        const QString art = QStringLiteral("A%1").arg(i);
        const QString name = withRatesAndHistory ? QStringLiteral("Болт М%1 оцинкованный").arg(i % 97)
                                                 : QStringLiteral("B%1").arg(i % 97);
        const QString& supplier = suppliers[i % 2];
        const double price = 10 + i % 1000;
        offer.bindText(1, art).bindText(2, name).bindDouble(3, price).bindText(4, supplier).execute();
        offer.reset();
        if (!withRatesAndHistory)
            continue;
        rate.bindDouble(1, price / 90).execute();
        rate.reset();
        history.bindText(1, supplier).bindText(2, art).bindText(3, name).bindDouble(4, price).execute();
        history.reset();
    }
    db::Statement setting = c.prepare(QStringLiteral("INSERT INTO settings (ParName, TypeText) VALUES ('Marker', ?1)"));
    setting.bindText(1, marker).execute();
    t.commit();
    if (withSearchIndex)
        catchUpSupplierGoodsIndex(c);
}

// The marker of a price database, its offer count, and (unless told
// otherwise) the engine's full check, read without changing the file.
struct PriceFileState {
    QString marker;
    qint64 offers = -1;
    QString integrity;
};

inline PriceFileState priceFileState(const QString& path, bool integrityCheck = true)
{
    PriceFileState state;
    try {
        db::Connection c(path, db::OpenMode::ReadOnly);
        if (integrityCheck)
            state.integrity = c.scalar(QStringLiteral("PRAGMA integrity_check")).toString();
        state.marker = c.scalar(QStringLiteral("SELECT TypeText FROM settings WHERE ParName = 'Marker'")).toString();
        state.offers = c.scalar(QStringLiteral("SELECT count(*) FROM AllTovarPostav")).toLongLong();
    } catch (const std::exception& error) {
        state.integrity = QString::fromUtf8(error.what());
    }
    return state;
}

// The texts a database command reported, in order: "status: ...",
// "message: ..." and "pause: <ms>".
struct RecordedReport {
    QStringList events;

    MaintenanceReport report()
    {
        MaintenanceReport r;
        r.status = [this](const QString& text) { events << QStringLiteral("status: ") + text; };
        r.message = [this](const QString& text) { events << QStringLiteral("message: ") + text; };
        r.pause = [this](int ms) { events << QStringLiteral("pause: %1").arg(ms); };
        return r;
    }
    QStringList messages() const { return events.filter(QRegularExpression(QStringLiteral("^message: "))); }
};

inline QByteArray fileHeader(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(100) : QByteArray();
}

} // namespace velmora::testing
