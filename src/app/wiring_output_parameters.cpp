// The export parameters window, "Экспорт" -> "Параметры экспорта".
#include "main_wiring.h"

#include "output/parameters/form_parametr.h"

#include <QAction>

namespace velmora {

void wireOutputParameters(MainWiring& wiring)
{
    Form_main& form = wiring.form;
    auto* window =
        new output::Form_parametr(form.ADOConnection, form.ADOConnection_Zakaz, form.folders().dataFolder, &form);
    window->setDisplayCurrency([&wiring] { return wiring.displayCurrencyCode(); });
    QAction* item = addMainMenuItem(form, QStringLiteral("Menu_Export"), QStringLiteral("Экспорт"),
                                    QStringLiteral("ParamExport"), QStringLiteral("Параметры экспорта"));
    // ParamExportClick. The windows it opens may be wired after this piece.
    QObject::connect(item, &QAction::triggered, window, [&form, window] {
        window->setDataSourceOpener(form.hooks().OpenDataSourceWindow);
        // The layout window comes back to this one when it closes.
        const auto& layout = form.hooks().OpenPriceLayoutWindow;
        window->setLayoutOpener(layout ? output::Form_parametr::LayoutOpener([layout, window](QWidget*) { layout(window); })
                                       : nullptr);
        window->exec();
    });
}

} // namespace velmora
