// The matching pages of the current own good on PageControl_Sootv: its
// criteria (TabSheet_Krit), the results of a criteria search
// (TabSheet_Sootv) and its correspondences (TabSheet_TablSootv), and the
// menu "Соответствия".
#include "main_wiring.h"

#include "catalogue/matching/matching_pages.h"
#include "catalogue/ui/catalogue_page.h"

#include <QAction>

namespace velmora {

void wireMatching(MainWiring& wiring)
{
    Form_main& form = wiring.form;
    const UserDialogs& dialogs = form.dialogs();
    auto* pages = new catalogue::MatchingPages(form.ADOConnection,
                                               catalogue::MatchingDialogs{dialogs.message, dialogs.confirm}, &form);
    form.placeWidget(QStringLiteral("TabSheet_Krit"), pages->criteriaPage());
    form.placeWidget(QStringLiteral("TabSheet_Sootv"), pages->searchResultsPage());
    form.placeWidget(QStringLiteral("TabSheet_TablSootv"), pages->correspondencePage());

    QObject::connect(pages, &catalogue::MatchingPages::pageRequested, &wiring, &MainWiring::showSootvPage);
    QObject::connect(pages, &catalogue::MatchingPages::statusText, &wiring, &MainWiring::showStatus);
    if (wiring.catalogue)
        QObject::connect(wiring.catalogue, &catalogue::CataloguePage::currentGoodChanged, pages,
                         &catalogue::MatchingPages::CurrentGoodChanged);

    QAction* clear = addMainMenuItem(form, QStringLiteral("Menu_Sootv"), QStringLiteral("Соответствия"),
                                     QStringLiteral("SootvClear"), QStringLiteral("Очистить таблицу соответствия"));
    QObject::connect(clear, &QAction::triggered, pages, &catalogue::MatchingPages::ClearCorrespondenceTableClick);
}

} // namespace velmora
