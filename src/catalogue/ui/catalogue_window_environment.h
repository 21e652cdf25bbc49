#pragma once

#include "platform/db/connection.h"
#include "platform/files/message_sink.h"

#include <QDate>
#include <QString>

#include <functional>

class QWidget;

namespace velmora::catalogue {

// What the catalogue's workbook and group windows take from the program
// around them.
struct CatalogueWindowEnvironment {
    db::Connection* priceDb = nullptr;
    db::Connection* orderDb = nullptr; // the settings store
    QString programFolder;
    int roundDigits = 2;
    // The file dialog: an empty name when cancelled.
    std::function<QString(QWidget* parent, const QString& filter)> openFileName;
    // The main window hides while a workbook is shown and comes back when
    // the window closes.
    std::function<void(bool hidden)> setMainWindowHidden;
    MessageSink message;
    MessageSink error;
    Question confirm;
    std::function<QDate()> today = [] { return QDate::currentDate(); };
};

} // namespace velmora::catalogue
