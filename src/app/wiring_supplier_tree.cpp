// The supplier tree in the left panel and the price-list settings tab on
// page 7: a chosen node shows its settings, changes there reach the tree,
// the load queue and the goods search; the settings panel's price-list
// buttons; the single-list load of the tool bar.
#include "main_wiring.h"

#include "suppliers/currency/currency_panel.h"
#include "suppliers/loader/load_queue_panel.h"
#include "suppliers/search/supplier_goods_panel.h"
#include "suppliers/setup/price_list_setup_tab.h"
#include "suppliers/setup/setup_panel.h"
#include "suppliers/tree/supplier_tree.h"

#include <QCheckBox>
#include <QHash>
#include <QListWidget>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>

#include <memory>

namespace velmora {

namespace {

constexpr int kSetupPage = 7;
const QString kOptionLocked = QStringLiteral("Опция заблокирована!\rПроверьте настройки.");
const QString kLoadRunning = QStringLiteral("Идёт загрузка прайс-листов из очереди.\r\r"
                                            "Прайс-лист можно будет загрузить, когда она закончится\r"
                                            "или будет остановлена.");

// A queue entry clicked: the first node whose name holds the entry's text
// (without case) is selected and shown.
void showQueueEntry(MainWiring& wiring, const QString& entry)
{
    SupplierTree* tree = wiring.tree;
    if (!tree)
        return;
    const QString wanted = entry.toUpper();
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = tree->topLevelItem(i);
        if (item->text(0).toUpper().contains(wanted)) {
            tree->setCurrentItem(item);
            tree->setFocus();
            tree->TreeView1Click();
            return;
        }
    }
    wiring.showSootvPage(kSetupPage);
}

// The offers the running load stored of each list, for the settings tab.
using LoadedOffers = std::shared_ptr<QHash<QString, int>>;

void replaceInQueue(MainWiring& wiring, const QString& oldName, const QString& newName)
{
    if (!wiring.loadQueue)
        return;
    QStringList names = wiring.loadQueue->queueNames();
    const int at = names.indexOf(oldName);
    if (at < 0)
        return;
    if (newName.isEmpty())
        names.removeAt(at);
    else
        names[at] = newName;
    wiring.loadQueue->setQueueNames(names);
}

// The settings tab holds far more than the page control's height: it
// scrolls inside its page. Other panels of the page go into the same
// scrolled content (Panel_PostavSetupContent).
QWidget* scrolledPage(QWidget* content)
{
    auto* scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("ScrollBox_PostavSetup"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* inner = new QWidget;
    inner->setObjectName(QStringLiteral("Panel_PostavSetupContent"));
    auto* layout = new QVBoxLayout(inner);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content);
    scroll->setWidget(inner);
    return scroll;
}

void wireSetupPanel(MainWiring& wiring)
{
    Form_main& form = wiring.form;
    PriceListSetupPanel::Actions actions;
    actions.chooseDatabase = [&form] { form.ChooseDatabaseFile(); };
    actions.isLoadAdmin = [&wiring] { return wiring.globals.IsLoadAdmin; };
    actions.importSettings = [&wiring](const QString& path) { importPriceListSettings(wiring, path); };
    actions.exportSettings = [&wiring](const QString& path) { return exportPriceListSettings(wiring, path); };
    const UserDialogs& dialogs = form.dialogs();
    if (dialogs.openFileName)
        actions.chooseIniFile = [&form] {
            return form.dialogs().openFileName(&form, QStringLiteral("Файлы с настройками (*.ini);;Все файлы (*)"));
        };
    if (dialogs.folderName)
        actions.chooseFolder = [&form] {
            return form.dialogs().folderName(&form, QStringLiteral("Укажите папку для выгрузки файлов"));
        };
    auto* panel = new PriceListSetupPanel(form.ADOConnection_Zakaz, std::move(actions));
    if (form.dialogs().message)
        panel->setMessageSink(form.dialogs().message);
    form.placeWidget(QStringLiteral("Panel_Setup"), panel);
    QObject::connect(panel, &PriceListSetupPanel::settingsImported, &wiring, [&wiring] {
        runHook(wiring.form.hooks().RefreshCurrencyRates);
        wiring.searchGoodsAgain();
    });
}

void wireSingleLoad(MainWiring& wiring)
{
    Form_main& form = wiring.form;
    QToolButton* load = wiring.addToolButton(QStringLiteral("ToolButton_Load"), QStringLiteral("Загрузить прайс-лист"),
                                             form.style()->standardIcon(QStyle::SP_ArrowDown));
    QObject::connect(load, &QToolButton::clicked, &wiring, [&wiring] {
        const UserDialogs& dialogs = wiring.form.dialogs();
        if (!wiring.globals.IsLoadAdmin) {
            if (dialogs.message)
                dialogs.message(kOptionLocked);
            return;
        }
        if (!wiring.tree || !wiring.loadQueue)
            return;
        const QString name = wiring.tree->selectedName();
        if (name.isEmpty())
            return;
        wiring.showSootvPage(kSetupPage);
        if (!wiring.loadQueue->startSingleLoad(name) && dialogs.message)
            dialogs.message(kLoadRunning);
    });
}

// The load queue is made at the end of start-up; its links to the tree
// then.
void connectTreeAndLoadQueue(MainWiring& wiring)
{
    loader::LoadQueuePanel* queue = wiring.loadQueue;
    SupplierTree* tree = wiring.tree;
    if (!queue || !tree)
        return;
    const LoadedOffers loaded = std::make_shared<QHash<QString, int>>();
    // A node clicked selects its list in the queue box (when it is open).
    tree->setLoadQueue(nullptr, queue->findChild<QListWidget*>(QStringLiteral("ListBox_LoadPrice")));
    QObject::connect(tree, &SupplierTree::loadQueueRebuilt, queue, &loader::LoadQueuePanel::setQueueNames);
    QObject::connect(tree, &SupplierTree::priceListDeleted, &wiring,
                     [&wiring](const QString& name) { replaceInQueue(wiring, name, QString()); });
    QObject::connect(queue, &loader::LoadQueuePanel::queueEntryClicked, &wiring,
                     [&wiring](const QString& name) { showQueueEntry(wiring, name); });
    QObject::connect(queue, &loader::LoadQueuePanel::singleLoadFinished, &wiring,
                     [&wiring, loaded](const QString& name, const QString& errorText) {
                         if (!errorText.isEmpty() && wiring.form.dialogs().message)
                             wiring.form.dialogs().message(errorText);
                         // The grid lists what was just loaded.
                         if (errorText.isEmpty() && wiring.goods)
                             wiring.goods->showSupplierOffers(name);
                         if (wiring.setupTab && wiring.setupTab->currentName() == name) {
                             wiring.setupTab->ShowPriceListSettings(name);
                             wiring.setupTab->endLoadProgress(loaded->value(name, -1));
                         } else if (wiring.setupTab) {
                             wiring.setupTab->endLoadProgress();
                         }
                     });
    // The load of the list on the settings tab shows its progress there.
    QObject::connect(queue, &loader::LoadQueuePanel::offersLoaded, &wiring, [&wiring, loaded](const QString& name, int count) {
        (*loaded)[name] = count;
        if (wiring.setupTab && wiring.setupTab->currentName() == name)
            wiring.setupTab->showLoadProgress(count);
    });
    // A finished run changed the lists' dates and goods counts.
    QObject::connect(queue, &loader::LoadQueuePanel::loadRunFinished, &wiring, [&wiring, loaded] {
        if (wiring.setupTab && !wiring.setupTab->currentName().isEmpty()) {
            const QString shown = wiring.setupTab->currentName();
            wiring.setupTab->ShowPriceListSettings(shown);
            wiring.setupTab->endLoadProgress(loaded->value(shown, -1));
        }
        loaded->clear();
    });
    if (wiring.setupTab)
        QObject::connect(wiring.setupTab, &PriceListSetupTab::priceListRenamed, &wiring,
                         [&wiring](qint64, const QString& oldName, const QString& newName) {
                             replaceInQueue(wiring, oldName, newName);
                         });
}

} // namespace

void wireSupplierTree(MainWiring& wiring)
{
    Form_main& form = wiring.form;
    const UserDialogs& dialogs = form.dialogs();

    auto* tree = new SupplierTree(form.ADOConnection, form.ADOConnection_Zakaz);
    tree->setObjectName(QStringLiteral("TreeView1"));
    auto* tab = new PriceListSetupTab(form.ADOConnection, form.ADOConnection_Zakaz);
    // The page itself carries the page's name.
    tab->setObjectName(QStringLiteral("PriceListSetupTab"));
    if (dialogs.message) {
        tree->setMessageSink(dialogs.message);
        tab->setMessageSink(dialogs.message);
    }
    if (dialogs.confirm) {
        tree->setQuestionHandler(dialogs.confirm);
        tab->setQuestionHandler(dialogs.confirm);
    }
    QPointer<CurrencyPanel> currency = wiring.currency;
    AppGlobals& globals = wiring.globals;
    tab->setRatesRefreshRunningProvider(
        [currency, &globals] { return currency ? currency->ratesRefreshRunning() : globals.RatesRefreshRunning; });
    if (currency)
        tab->setDisplayCurrencyIndexProvider([currency] { return currency ? currency->currencyTable().displayIndex : 2; });

    form.placeWidget(QStringLiteral("TabSheet_AllPostav"), tree);
    form.placeWidget(QStringLiteral("TabSheet_PostavSetup"), scrolledPage(tab));
    wiring.tree = tree;
    wiring.setupTab = tab;
    ConnectSupplierTreeAndSetupTab(tree, tab);

    QObject::connect(tab, &PriceListSetupTab::setupPageRequested, &wiring, [&wiring] { wiring.showSootvPage(kSetupPage); });
    QObject::connect(tab, &PriceListSetupTab::statusMessage, &wiring, &MainWiring::showStatus);
    if (auto* pages = form.findChild<QTabWidget*>(QStringLiteral("PageControl_Sootv")))
        QObject::connect(pages, &QTabWidget::currentChanged, tab, [tab](int page) {
            if (page == kSetupPage)
                tab->TabSheet_PostavSetupShow();
        });
    QObject::connect(tab, &PriceListSetupTab::priceListSettingsChanged, &wiring,
                     &MainWiring::markPriceListSettingsChanged);
    QObject::connect(tree, &SupplierTree::priceListSettingsChanged, &wiring, &MainWiring::markPriceListSettingsChanged);
    QObject::connect(tree, &SupplierTree::goodsSearchRequested, &wiring, &MainWiring::searchGoodsAgain);
    // A list the user disabled lost its goods, a renamed one shows its new
    // name: the grid follows. (Showing a list also reports its disabled
    // flag, for the node's picture; that changes no goods.)
    if (auto* disable = tab->findChild<QCheckBox*>(QStringLiteral("CheckBox_PostavDisable")))
        QObject::connect(disable, &QCheckBox::clicked, &wiring, &MainWiring::searchGoodsAgain);
    QObject::connect(tab, &PriceListSetupTab::priceListRenamed, &wiring, &MainWiring::searchGoodsAgain);

    auto& hooks = form.hooks();
    hooks.BuildSupplierTree = [tree, &form] {
        // Rebuilding shows the first list's settings but leaves the page
        // that is in front (start-up has just chosen the order page).
        auto* pages = form.findChild<QTabWidget*>(QStringLiteral("PageControl_Sootv"));
        const int page = pages ? pages->currentIndex() : -1;
        tree->BuildSupplierTree();
        if (pages)
            pages->setCurrentIndex(page);
    };
    hooks.ReleasePriceExcelApp = [tab] { tab->Button3Click(); };

    wiring.onStartupSettled.push_back([&wiring] { connectTreeAndLoadQueue(wiring); });
    wireSetupPanel(wiring);
    wireSingleLoad(wiring);
}

} // namespace velmora
