#pragma once

#include "app/program.h"
#include "app_test_support.h"

#include <QStringList>

namespace velmora::testing {

// An installation whose default price database already holds what a case
// needs; the program copies it into the fresh data folder at its start.
struct WiredInstallation : Installation {
    QStringList messages;
    QStringList questions;
    bool answer = false;

    db::Connection priceDefaults() { return db::Connection(program + QStringLiteral("PRICE.vdb")); }

    ProgramOptions options(const QString& user = QStringLiteral("anna"))
    {
        ProgramOptions o;
        o.folders = {program, data, user};
        o.dialogs.message = [this](const QString& text) { messages << text; };
        o.dialogs.confirm = [this](const QString& text) {
            questions << text;
            return answer;
        };
        o.dialogs.openFileName = [](QWidget*, const QString&) { return QString(); };
        o.interactive = false;
        return o;
    }
};

} // namespace velmora::testing
