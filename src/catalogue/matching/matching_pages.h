#pragma once

#include "platform/db/connection.h"
#include "platform/files/message_sink.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class QWidget;

namespace Ui {
class Panel_Krit;
class Panel_Sootv;
class Panel_TablSootv;
}

namespace velmora::catalogue {

class SearchResultsModel;

// Indexes of the matching pages in the main window's PageControl_Sootv.
inline constexpr int kCriteriaPage = 0;       // TabSheet_Krit
inline constexpr int kSearchResultsPage = 1;  // TabSheet_Sootv
inline constexpr int kCorrespondencePage = 2; // TabSheet_TablSootv

// The dialogs the matching pages put to the user; without them nothing is
// shown and every question is answered No.
struct MatchingDialogs {
    MessageSink message;
    std::function<bool(const QString& text)> confirm;
};

// The matching pages of one own good, the current good of the catalogue:
// its criteria and exclusions (TabSheet_Krit), the results of a criteria
// search with their ticks (TabSheet_Sootv) and its correspondences
// (TabSheet_TablSootv). The window that holds them places the three page
// widgets and follows pageRequested and statusText.
class MatchingPages : public QObject {
    Q_OBJECT
public:
    MatchingPages(db::Connection& priceDb, MatchingDialogs dialogs, QObject* parent = nullptr);
    ~MatchingPages() override;

    QWidget* criteriaPage() const { return criteria_; }
    QWidget* searchResultsPage() const { return results_; }
    QWidget* correspondencePage() const { return correspondence_; }
    qint64 currentGood() const { return good_; }

public slots:
    // The catalogue's current good moved (0: none): its lists are read
    // again, the result list is closed and the status panel emptied.
    void CurrentGoodChanged(qint64 code);
    // Closes the result list and disables moving from it.
    void CloseSearchResults();

    void Button_AddKritClick();
    void Button_UpKritClick();
    void Button_DelKritClick();
    void DBGrid_Krit1DblClick();
    void SpeedButton_kritclearClick();
    void Button_AddKritIsklClick();
    void Button_UpKritIsklClick();
    void Button_DelKritIsklClick();
    void DBGrid_KritIsklDblClick();
    void SpeedButton_kritclearIsklClick();
    void SpeedButton_SaveParClick();
    void SpeedButton_LoadParClick();
    void Button_KritSelectClick();
    void Button_SootvTovar1Click();
    void Button_SootvSepDelAllClick();
    void Button_SootvSepDelOneClick();
    // Empties the whole correspondence table (the menu's "Очистить таблицу
    // соответствия").
    void ClearCorrespondenceTableClick();

signals:
    // Show this page of PageControl_Sootv.
    void pageRequested(int index);
    // A text for panel 1 of the main status bar.
    void statusText(const QString& text);
    // The good's correspondences and combined-price rows changed (0: those
    // of every good).
    void correspondencesChanged(qint64 goodCode);

private:
    void openCriteria();
    void openExclusions();
    void openCorrespondences();
    void showEdit(bool done, const QString& status, bool criteria);
    qint64 currentRowid(bool criteria) const;
    bool ask(const QString& text) const;
    void tell(const QString& text) const;

    db::Connection& priceDb_;
    MatchingDialogs dialogs_;
    qint64 good_ = 0;
    qint64 buffer_ = 0; // the good whose criteria the buffer holds; 0 empty
    std::unique_ptr<Ui::Panel_Krit> kritUi_;
    std::unique_ptr<Ui::Panel_Sootv> sootvUi_;
    std::unique_ptr<Ui::Panel_TablSootv> tablUi_;
    QPointer<QWidget> criteria_;
    QPointer<QWidget> results_;
    QPointer<QWidget> correspondence_;
    SearchResultsModel* model_ = nullptr;
};

} // namespace velmora::catalogue
