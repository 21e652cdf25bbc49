// The stock criteria window, "Каталог" -> "Критерии наличия товара".
#include "main_wiring.h"

#include "catalogue/stock/form_sklad.h"

#include <QAction>

namespace velmora {

void wireStockCriteria(MainWiring& wiring)
{
    Form_main& form = wiring.form;
    auto* window = new catalogue::Form_Sklad(form.ADOConnection, form.ADOConnection_Zakaz, form.dialogs().message, &form);
    QAction* item = addMainMenuItem(form, QStringLiteral("Menu_Catalogue"), QStringLiteral("Каталог"),
                                    QStringLiteral("Sklad"), QStringLiteral("Критерии наличия товара"));
    // SkladClick.
    QObject::connect(item, &QAction::triggered, window, [window] { window->exec(); });
}

} // namespace velmora
