#include "main_wiring.h"

#include "main_status_bar.h"
#include "storage/settings_store.h"
#include "suppliers/currency/currency_panel.h"
#include "suppliers/search/supplier_goods_panel.h"

#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>

namespace velmora {

MainWiring::MainWiring(Form_main& form, AppGlobals& globals) : QObject(&form), form(form), globals(globals)
{
    setObjectName(QStringLiteral("MainWiring"));
}

MainWiring::~MainWiring() = default;

void MainWiring::applyColumnTitles()
{
    if (goods)
        goods->setColumnTitles(columnTitles, displayCurrencyCode());
}

QString MainWiring::displayCurrencyCode() const
{
    return currency ? currency->currencyTable().displayCode() : CurrencyCode(CurrencyRUB);
}

double MainWiring::roubleRate() const
{
    const std::optional<double> rate = currency ? currency->currencyTable().roublesPerDisplayUnit() : std::nullopt;
    return rate.value_or(globals.KursRUBRate);
}

void MainWiring::showStatus(const QString& text)
{
    setMainStatusText(form, 1, text);
}

void MainWiring::searchGoodsAgain()
{
    globals.LastFindText.clear();
    runHook(form.hooks().SearchSupplierGoods);
}

void MainWiring::showSootvPage(int index)
{
    if (auto* pages = form.findChild<QTabWidget*>(QStringLiteral("PageControl_Sootv")))
        pages->setCurrentIndex(index);
}

QToolButton* MainWiring::addToolButton(const QString& name, const QString& hint, const QIcon& icon)
{
    auto* button = new QToolButton;
    button->setObjectName(name);
    button->setAutoRaise(true);
    button->setIcon(icon);
    button->setToolTip(hint);
    form.placeWidget(QStringLiteral("ToolBar1"), button);
    return button;
}

} // namespace velmora
