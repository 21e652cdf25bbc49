// The administrator's database commands: the tool buttons ToolButton_Base
// (save) and ToolButton_BaseLoad (restore), the menu command that compacts
// the database, and the archive unpacking behind every database choice.
#include "main_wiring.h"

#include "database_commands.h"
#include "platform/archive/resolve_archive_file.h"
#include "orders/user_export_thread.h"
#include "suppliers/exports/price_save_panel.h"
#include "suppliers/loader/load_queue_panel.h"

#include <QAction>
#include <QToolButton>

namespace velmora {

void wireDatabaseSave(MainWiring& wiring)
{
    Form_main& form = wiring.form;
    const QString dataFolder = form.folders().dataFolder;
    form.hooks().ResolveArchiveFile = [dataFolder](const QString& name) {
        ResolveArchiveOptions options;
        options.fallbackFolder = dataFolder;
        return ResolveArchiveFile(name, options);
    };

    // The load thread and the export workers work on the price
    // database with connections of their own.
    auto* commands = new DatabaseCommands(form, [&wiring] {
        return (wiring.loadQueue && wiring.loadQueue->isLoadRunning())
            || (wiring.priceSave && wiring.priceSave->isExporting())
            || (wiring.userExport && wiring.userExport->isRunning());
    });
    if (auto* save = form.findChild<QToolButton*>(QStringLiteral("ToolButton_Base")))
        QObject::connect(save, &QToolButton::clicked, commands, &DatabaseCommands::SaveDatabase);
    if (auto* load = form.findChild<QToolButton*>(QStringLiteral("ToolButton_BaseLoad")))
        QObject::connect(load, &QToolButton::clicked, commands, &DatabaseCommands::ToolButton_BaseLoadClick);
    QAction* compact = addMainMenuItem(form, QStringLiteral("Menu_File"), QStringLiteral("Файл"),
                                       QStringLiteral("CompactDatabase"), QStringLiteral("Сжать базу данных"));
    QObject::connect(compact, &QAction::triggered, commands, &DatabaseCommands::CompactDatabaseClick);
}

} // namespace velmora
