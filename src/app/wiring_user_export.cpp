// The combined stock export: its window, which ToolButton_Export opens in
// the client mode Ormita-Club, and its worker, which the window and the
// load thread (after a queue run in the two client modes) start; one runs
// at a time, its status in panel 1 of the status bar.
#include "main_wiring.h"

#include "main_status_bar.h"
#include "orders/ui/form_user_export.h"
#include "orders/user_export_thread.h"
#include "suppliers/loader/load_queue_panel.h"

namespace velmora {

namespace {

const QString kExportRunning = QStringLiteral("Сводный прайс-лист уже выгружается: новый экспорт не начат.");

void createUserExport(MainWiring& wiring)
{
    Form_main& form = wiring.form;
    auto* runner = new orders::UserExportRunner(form.ADOConnection.path(), &wiring);
    wiring.userExport = runner;
    QObject::connect(runner, &orders::UserExportRunner::SyncExportStatus, &wiring,
                     [&form](const QString& status, const QString&) { setMainStatusText(form, 1, status); });

    // The load thread names the own stock and every other supplier.
    if (wiring.loadQueue)
        QObject::connect(wiring.loadQueue, &loader::LoadQueuePanel::combinedExportRequested, &wiring,
                         [&wiring, runner](const QString& ownStockName, const QStringList& supplierNames) {
                             orders::UserExportRequest request;
                             request.supplierNames = supplierNames;
                             request.ownStockName = ownStockName;
                             request.programFolder = wiring.form.folders().programFolder;
                             request.folder = orders::ReadUserExportFolder(wiring.form.ADOConnection_Zakaz,
                                                                           request.programFolder);
                             if (!runner->start(request))
                                 wiring.showStatus(kExportRunning);
                         });

    QPointer<orders::Form_UserExport> window;
    form.hooks().OpenUserExport = [&wiring, runner, window]() mutable {
        if (!window) {
            orders::UserExportEnvironment environment;
            environment.priceDb = &wiring.form.ADOConnection;
            environment.orderDb = &wiring.form.ADOConnection_Zakaz;
            environment.programFolder = wiring.form.folders().programFolder;
            environment.userIniPath = wiring.globals.UserIniPath;
            environment.ormita = wiring.globals.ClientModeOrmita;
            environment.runner = runner;
            window = new orders::Form_UserExport(std::move(environment), &wiring.form);
            QObject::connect(window, &orders::Form_UserExport::closed, &wiring,
                             [&wiring] { setMainStatusText(wiring.form, 1, QString()); });
        }
        window->exec();
    };
}

} // namespace

void wireUserExport(MainWiring& wiring)
{
    wiring.onStartupSettled.push_back([&wiring] { createUserExport(wiring); });
}

} // namespace velmora
