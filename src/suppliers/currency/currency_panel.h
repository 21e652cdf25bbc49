#pragma once

#include "currency_table.h"
#include "rate_refresh.h"

#include "platform/db/connection.h"
#include "suppliers/pricing.h"

#include <QByteArray>
#include <QLocale>
#include <QWidget>

#include <array>
#include <functional>
#include <map>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QTimer;

namespace velmora {

// The currency controls of the main window's settings area: display
// currency, download switch, rate source and the four rate edits, with the
// one-shot re-pricing timer. It owns the in-memory currency table; others
// read it through currencyTable() (the loader copies it per load).
//
// Until the first RefreshCurrencyRates the panel counts as refreshing, so
// nothing the start-up writes into its controls acts.
class CurrencyPanel : public QWidget {
    Q_OBJECT
public:
    // Feeds as RateFeedOptions::fromEnvironment() gives them.
    explicit CurrencyPanel(db::Connection& priceDb, QWidget* parent = nullptr);
    CurrencyPanel(db::Connection& priceDb, RateFeedOptions options, QWidget* parent = nullptr);
    ~CurrencyPanel() override;

    const CurrencyTable& currencyTable() const { return table_; }
    bool ratesRefreshRunning() const { return refreshRunning_; }
    const QByteArray& lastFeedText() const { return lastFeedText_; }
    bool ratesUnconfirmed() const { return ratesUnconfirmed_; }

    // Only the administrator changes the rate source and display currency,
    // and only the administrator's program re-prices the goods.
    void setAdministrator(bool administrator);
    // Read before every re-pricing (SetupUser.ini DegreePricePostav and the
    // Ormita switch); 2 places when not set.
    void setRoundingProvider(std::function<PriceRounding()> provider);
    // Replaces the HTTP download (tests).
    void setFeedFetcher(RateFeedFetcher fetch);
    // The locale whose decimal separator the rate edits use.
    void setEditLocale(const QLocale& locale);

    // How long the main window waits for the price database's write lock
    // before it leaves a write for the next tick of the re-pricing timer.
    static constexpr int kLockWaitMs = 10;

public slots:
    void RefreshCurrencyRates();
    // Stores the typed rates still waiting and re-prices the goods. While
    // another connection (a running load) holds the write lock it waits no
    // longer than kLockWaitMs and arms the timer to try again, so the main
    // window is never held up and the prices follow once the load commits.
    void RepriceForeignGoods();

signals:
    // Text for the main window's status bar.
    void statusMessage(const QString& text);
    // "Цена (" + display code + ")": the title of the goods grid's PriceOut
    // column.
    void priceColumnTitleChanged(const QString& title);
    // Prices in AllTovarPostav changed: the search should run again.
    void goodsRepriced();
    // A rate edit was typed into (decides whether the price-list settings
    // file is written at close).
    void priceListSettingsChanged();
    // The table was rebuilt or a rate changed.
    void currencyTableChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum RateRow { RowDollar, RowEvro, RowGrivna, RowBYR, RowCount };

    void buildControls();
    void Timer_ValutaKursUpdateTimer();
    void CheckBox_ValutaKursClick(bool checked);
    void ComboBox_ValutaSiteChange(int index);
    void ComboBox_ValutaNameChange(int index);
    void rateEditChanged(int row);
    void showRates();
    void armRepricing();
    bool storePendingRates();
    int currencyOfRow(int row) const;

    db::Connection& priceDb_;
    RateFeedOptions options_;
    RateFeedFetcher fetch_;
    std::function<PriceRounding()> rounding_;
    QLocale locale_;

    CurrencyTable table_;
    std::array<int, 2> lowerRows_{CurrencyBYN, CurrencyUAH};
    QByteArray lastFeedText_;
    // The last download failed: the shown rates are the stored ones (1 for
    // a currency never downloaded), and the edits say so.
    bool ratesUnconfirmed_ = false;
    // Typed rates not stored yet, by currency index (the lock was held).
    struct PendingRate {
        double rate;
        QString extraSetting;
    };
    std::map<int, PendingRate> pendingRates_;
    bool refreshRunning_ = true;
    bool administrator_ = false;

    QComboBox* valutaName_ = nullptr;
    QCheckBox* valutaKurs_ = nullptr;
    QComboBox* valutaSite_ = nullptr;
    std::array<QLineEdit*, RowCount> edits_{};
    std::array<QLabel*, RowCount> labels_{};
    QTimer* repriceTimer_ = nullptr;
};

} // namespace velmora
