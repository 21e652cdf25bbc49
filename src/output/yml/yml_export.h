#pragma once

#include "platform/db/connection.h"

#include <QDateTime>
#include <QString>

#include <functional>

namespace velmora {
class SettingsStore;
}

namespace velmora::output {

// The catalogue's folder under the program folder and its file there.
inline constexpr char kYmlFolderName[] = "XML каталог";
inline constexpr char kYmlFileName[] = "price.xml";

// The messages of the catalogue command.
QString ymlNoPathMessage();
QString ymlDoneMessage(const QString& path);
QString ymlFailedMessage(const QString& reason);

struct YmlExportInput {
    QString programFolder; // holds shops.dtd; the catalogue's folder is made under it
    QString dataFolder;    // the default of the stored catalogue path
    std::function<QDateTime()> clock; // the catalogue's date; none: now
    QString displayCurrency = QStringLiteral("RUB"); // the rates' display currency, for the price currency's default
};

struct YmlExportResult {
    bool written = false;
    QString path;
    // What the user is told: the path check's message, the failure, or the
    // place of the catalogue (with a warning when shops.dtd could not be
    // put beside it).
    QString message;
};

// XML1Click: the YML catalogue of the shop. Needs a catalogue path in the
// parameters (parametr row 5's Path or the stored Edit_XML, trimmed);
// without one nothing is written. The categories are the groups by
// (Parent, Pos), the offers the goods with a Price_Tovar_Info row priced
// Price_1 × (1 + Nacen / 100) × (1 + M4 / 100), M4 the markup of price
// column 4 (parametr row 4). Written as "XML каталог/price.xml" under the
// program folder, replacing the old file only when whole; shops.dtd of the
// program folder is copied beside it. A catalogue without groups or offers
// is refused (noGroupsMessage, noGoodsMessage) before the folder is made.
// Every failure comes back as the message; a failed catalogue leaves the
// previous file as it was.
YmlExportResult ExportYmlCatalogFile(db::Connection& priceDb, SettingsStore& orderSettings,
                                     const YmlExportInput& input);

} // namespace velmora::output
