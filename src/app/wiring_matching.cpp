// The matching pages of the current own good on PageControl_Sootv: its
// criteria (TabSheet_Krit), the results of a criteria search
// (TabSheet_Sootv), its correspondences (TabSheet_TablSootv), the remainder
// (TabSheet_Ostatok), the trash (TabSheet_IsklTovar) and its combined price
// (TabSheet_Svod); the automatic matching's windows, and the menu
// "Соответствия".
#include "main_wiring.h"

#include "form_progress.h"
#include "storage/settings_store.h"

#include "catalogue/matching/combined_price_page.h"
#include "catalogue/matching/form_auto_krit.h"
#include "catalogue/matching/form_auto_krit_post.h"
#include "catalogue/matching/item_list_page.h"
#include "catalogue/matching/matching_pages.h"
#include "catalogue/loading/form_data_load.h"
#include "catalogue/loading/form_load.h"
#include "catalogue/loading/form_postav_del.h"
#include "catalogue/ui/catalogue_page.h"
#include "output/window_support.h"
#include "platform/spreadsheet/handover.h"

#include <QAction>
#include <QLabel>
#include <QTabWidget>

#include <memory>

namespace velmora {

namespace {

constexpr int kRemainderPage = 3; // TabSheet_Ostatok
constexpr int kTrashPage = 4;     // TabSheet_IsklTovar
constexpr int kSvodPage = 5;      // TabSheet_Svod

QAction* addSootvItem(Form_main& form, const char* name, const char* caption)
{
    return addMainMenuItem(form, QStringLiteral("Menu_Sootv"), QStringLiteral("Соответствия"), QLatin1String(name),
                           QString::fromUtf8(caption));
}

// The wait window as the automatic matching drives it, looked up when the
// run goes (it is made after the frame).
catalogue::MatchingWait matchingWait(Form_main& form)
{
    auto window = [&form] { return form.findChild<Form_Progress*>(); };
    catalogue::MatchingWait wait;
    wait.show = [window](int steps) {
        if (Form_Progress* w = window())
            w->begin(QString(), steps);
    };
    wait.step = [window](const QString& text) {
        if (Form_Progress* w = window()) {
            w->Label_Wait()->setText(text);
            w->stepIt();
        }
    };
    wait.close = [window] {
        if (Form_Progress* w = window())
            w->finish();
    };
    return wait;
}

} // namespace

void wireMatching(MainWiring& wiring)
{
    Form_main& form = wiring.form;
    const UserDialogs& dialogs = form.dialogs();
    auto* pages = new catalogue::MatchingPages(form.ADOConnection,
                                               catalogue::MatchingDialogs{dialogs.message, dialogs.confirm}, &form);
    form.placeWidget(QStringLiteral("TabSheet_Krit"), pages->criteriaPage());
    form.placeWidget(QStringLiteral("TabSheet_Sootv"), pages->searchResultsPage());
    form.placeWidget(QStringLiteral("TabSheet_TablSootv"), pages->correspondencePage());

    const catalogue::ItemPageDialogs itemDialogs{dialogs.message, dialogs.confirm};
    auto* remainder = new catalogue::ItemListPage(form.ADOConnection, catalogue::ItemTable::Remainder, itemDialogs);
    auto* trash = new catalogue::ItemListPage(form.ADOConnection, catalogue::ItemTable::Trash, itemDialogs);
    if (!wiring.orderSettings)
        wiring.orderSettings = std::make_unique<SettingsStore>(form.ADOConnection_Zakaz);
    AppGlobals& globals = wiring.globals;
    auto* svod = new catalogue::CombinedPricePage(form.ADOConnection, *wiring.orderSettings, [&wiring, &globals] {
        return catalogue::CombinedPriceContext{globals.SaleSupplierName,
                                               catalogue::GoodsPricing{globals.RoundDigits, wiring.roubleRate()},
                                               globals.RoundDigits};
    });
    form.placeWidget(QStringLiteral("TabSheet_Ostatok"), remainder);
    form.placeWidget(QStringLiteral("TabSheet_IsklTovar"), trash);
    form.placeWidget(QStringLiteral("TabSheet_Svod"), svod);
    if (auto* control = form.findChild<QTabWidget*>(QStringLiteral("PageControl_Sootv")))
        QObject::connect(control, &QTabWidget::currentChanged, svod, [remainder, trash, svod](int index) {
            if (index == kRemainderPage)
                remainder->showPage();
            else if (index == kTrashPage)
                trash->showPage();
            else if (index == kSvodPage)
                svod->showPage();
        });

    QObject::connect(pages, &catalogue::MatchingPages::pageRequested, &wiring, &MainWiring::showSootvPage);
    QObject::connect(pages, &catalogue::MatchingPages::statusText, &wiring, &MainWiring::showStatus);
    if (wiring.catalogue) {
        catalogue::CataloguePage* catalogue = wiring.catalogue;
        QObject::connect(catalogue, &catalogue::CataloguePage::currentGoodChanged, pages,
                         &catalogue::MatchingPages::CurrentGoodChanged);
        QObject::connect(catalogue, &catalogue::CataloguePage::currentGoodChanged, remainder,
                         &catalogue::ItemListPage::setCurrentGood);
        QObject::connect(catalogue, &catalogue::CataloguePage::currentGoodChanged, svod,
                         &catalogue::CombinedPricePage::setCurrentGood);
    }
    // Items matched by hand or by accepting proposals: the goods totals, the
    // good's correspondences and its combined price are shown afresh.
    auto matched = [&wiring, pages, svod](qint64 code) {
        if (wiring.catalogue)
            wiring.catalogue->ShowGoodsTotals();
        if (code == pages->currentGood())
            pages->CurrentGoodChanged(code);
        svod->reopen();
    };
    QObject::connect(remainder, &catalogue::ItemListPage::correspondencesChanged, svod, matched);

    QObject::connect(addSootvItem(form, "SootvClear", "Очистить таблицу соответствия"), &QAction::triggered, pages,
                     &catalogue::MatchingPages::ClearCorrespondenceTableClick);
    QObject::connect(addSootvItem(form, "MusorClear", "Очистить мусорный бак"), &QAction::triggered, trash,
                     &catalogue::ItemListPage::EmptyTrashClick);

    // The automatic matching: the run window, then the review.
    auto* review = new catalogue::Form_AutoKrit(form.ADOConnection, dialogs.confirm, dialogs.message, &form);
    auto* run = new catalogue::Form_AutoKritPost(form.ADOConnection, dialogs.confirm, matchingWait(form), &form);
    QObject::connect(review, &catalogue::Form_AutoKrit::correspondencesChanged, svod, matched);
    auto runFor = [run, review](qint64 group) {
        run->setGroup(group);
        const bool ran = run->exec() == QDialog::Accepted;
        run->setGroup(0);
        if (ran)
            review->exec();
    };
    QObject::connect(addSootvItem(form, "SootvAll", nullptr), &QAction::triggered, run, [runFor] { runFor(0); });
    QObject::connect(addSootvItem(form, "SootvOpen", nullptr), &QAction::triggered, review, [review] {
        // SootvOpenClick: modeless.
        review->show();
        review->raise();
    });
    form.hooks().FindMatchesInGroup = runFor;

    // The older loading windows.
    auto* setup = new catalogue::Form_load(form.ADOConnection, dialogs.message, [&form](QWidget* parent) {
        const UserDialogs& d = form.dialogs();
        return d.openFileName ? d.openFileName(parent, QStringLiteral("Файлы Excel (*.xls *.xlsx);;Все файлы (*)"))
                              : QString();
    }, &form);
    QObject::connect(addSootvItem(form, "ParamImport", nullptr), &QAction::triggered, setup, [setup] { setup->exec(); });

    catalogue::Form_DataLoad::Hooks loadHooks;
    loadHooks.tell = dialogs.message;
    loadHooks.recalcAllMinPrices = [&form](QProgressBar* bar) {
        output::ProgressBarProgress progress(bar);
        runHook(form.hooks().RecalcAllMinPrices, &progress);
    };
    loadHooks.openWorkbook = [&wiring](const QString& path) {
        if (!sheet::openInDesktop(path))
            wiring.showStatus(path);
    };
    auto* load = new catalogue::Form_DataLoad(form.ADOConnection, *wiring.orderSettings, loadHooks, &form);
    QObject::connect(addSootvItem(form, "LoadPriceList", nullptr), &QAction::triggered, load, [load] { load->exec(); });
    QObject::connect(load, &catalogue::Form_DataLoad::loadFinished, svod, [&wiring, svod] {
        if (wiring.catalogue)
            wiring.catalogue->ShowGoodsTotals();
        svod->reopen();
    });
    QObject::connect(load, &catalogue::Form_DataLoad::reviewRequested, review, [review] { review->exec(); });

    auto* del = new catalogue::Form_PostavDel(form.ADOConnection, dialogs.confirm, dialogs.message, &form);
    QObject::connect(del, &catalogue::Form_PostavDel::aboutToShow, pages, [pages] {
        pages->CloseSearchResults();
        pages->CurrentGoodChanged(pages->currentGood());
    });
    QObject::connect(addSootvItem(form, "DelPostav", nullptr), &QAction::triggered, del, [del] {
        del->setMode(QStringLiteral("DEL"));
        del->exec();
    });
    QObject::connect(addSootvItem(form, "RenamePostav", "Изменение названия поставщика"), &QAction::triggered, del,
                     [del] {
                         del->setMode(QStringLiteral("Rename"));
                         del->exec();
                     });
}

} // namespace velmora
