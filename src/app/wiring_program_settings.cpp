// The settings dialog "Настройки программы": "Настройки" -> its item, and
// the hook through which other windows open it on a page of their choice.
#include "main_wiring.h"

#include "form_setup.h"
#include "startup_settings.h"
#include "wait_window_progress.h"

#include "catalogue/ui/catalogue_page.h"
#include "platform/spreadsheet/handover.h"
#include "storage/settings_store.h"

#include <QAction>

#include <memory>


namespace velmora {

void wireProgramSettings(MainWiring& wiring)
{
    Form_main& form = wiring.form;
    SetupEnvironment environment;
    environment.orderDb = &form.ADOConnection_Zakaz;
    environment.priceDb = &form.ADOConnection;
    environment.programFolder = form.folders().programFolder;
    environment.wait = std::make_shared<WaitWindowProgress>(form);
    environment.message = form.dialogs().message;
    environment.error = form.dialogs().error ? form.dialogs().error : form.dialogs().message;
    environment.openWorkbook = [](const QString& path) { return sheet::openInDesktop(path); };
    environment.saved = [&wiring] {
        SettingsStore settings(wiring.form.ADOConnection_Zakaz);
        reloadCachedSettings(settings, wiring.globals);
        if (wiring.catalogue)
            wiring.catalogue->ReopenGoodsList();
    };
    auto* window = new Form_Setup(std::move(environment), &form);

    // ProgSetupClick.
    QAction* item = addMainMenuItem(form, QStringLiteral("Menu_Setup"), QStringLiteral("Настройки"),
                                    QStringLiteral("ProgSetup"), QString());
    QObject::connect(item, &QAction::triggered, window, [window] { window->execOnPage(0); });
    form.hooks().OpenProgramSettings = [window](int pageIndex) { window->execOnPage(pageIndex); };
}

} // namespace velmora
