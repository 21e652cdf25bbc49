#include "currency_panel.h"

#include "storage/value_helpers.h"
#include "rate_entry.h"
#include "rate_settings.h"
#include "reprice.h"

#include "platform/db/db_error.h"
#include "platform/files/error_text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

#include <algorithm>
#include <optional>

namespace velmora {
namespace {

const char* const kEditNames[] = {"Edit_Dollar", "Edit_Evro", "Edit_Grivna", "Edit_BYR"};
const char* const kLabelNames[] = {"Label29", "Label_Evro", "Label_UAH", "Label_BYR"};
// The old names of the lower two edits' settings, still written beside
// the rate setting of the currency they show.
const char* const kExtraSettings[] = {"", "", "KursValuta_Grivna", "KursValuta_BYR"};

} // namespace

CurrencyPanel::CurrencyPanel(db::Connection& priceDb, QWidget* parent)
    : CurrencyPanel(priceDb, RateFeedOptions::fromEnvironment(), parent)
{
}

CurrencyPanel::CurrencyPanel(db::Connection& priceDb, RateFeedOptions options, QWidget* parent)
    : QWidget(parent)
    , priceDb_(priceDb)
    , options_(std::move(options))
    , fetch_(HttpRateFeedFetcher(options_.http))
    , rounding_([] { return PriceRounding{}; })
{
    setEditLocale(QLocale());
    buildControls();
}

CurrencyPanel::~CurrencyPanel() = default;

void CurrencyPanel::buildControls()
{
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    layout->addWidget(new QLabel(QStringLiteral("Валюта цен"), this), 0, 0);
    valutaName_ = new QComboBox(this);
    valutaName_->setObjectName(QStringLiteral("ComboBox_ValutaName"));
    for (int i = 0; i < kCurrencyCount; ++i)
        valutaName_->addItem(CurrencyCode(i));
    valutaName_->setCurrentIndex(table_.displayIndex);
    layout->addWidget(valutaName_, 0, 1);

    valutaKurs_ = new QCheckBox(QStringLiteral("Загружать курсы валют"), this);
    valutaKurs_->setObjectName(QStringLiteral("CheckBox_ValutaKurs"));
    layout->addWidget(valutaKurs_, 1, 0, 1, 2);

    valutaSite_ = new QComboBox(this);
    valutaSite_->setObjectName(QStringLiteral("ComboBox_ValutaSite"));
    valutaSite_->addItems({QStringLiteral("НЕТ!"), QStringLiteral("ЦБ России"), QStringLiteral("ЦБ Украины"),
                           QStringLiteral("НБ Белоруссии")});
    layout->addWidget(valutaSite_, 2, 0, 1, 2);

    const QString captions[] = {QStringLiteral("USD"), QStringLiteral("EUR"), QStringLiteral("UAH"),
                                QStringLiteral("BYN")};
    for (int row = 0; row < RowCount; ++row) {
        labels_[size_t(row)] = new QLabel(captions[row], this);
        labels_[size_t(row)]->setObjectName(QString::fromLatin1(kLabelNames[row]));
        edits_[size_t(row)] = new QLineEdit(this);
        edits_[size_t(row)]->setObjectName(QString::fromLatin1(kEditNames[row]));
        edits_[size_t(row)]->installEventFilter(this);
        layout->addWidget(labels_[size_t(row)], 3 + row, 0);
        layout->addWidget(edits_[size_t(row)], 3 + row, 1);
        connect(edits_[size_t(row)], &QLineEdit::textChanged, this, [this, row] { rateEditChanged(row); });
    }
    layout->setRowStretch(3 + RowCount, 1);

    repriceTimer_ = new QTimer(this);
    repriceTimer_->setObjectName(QStringLiteral("Timer_ValutaKursUpdate"));
    repriceTimer_->setInterval(1500);
    repriceTimer_->setSingleShot(true);
    connect(repriceTimer_, &QTimer::timeout, this, &CurrencyPanel::Timer_ValutaKursUpdateTimer);

    // User actions only: the refresh refills these controls itself.
    connect(valutaKurs_, &QCheckBox::clicked, this, &CurrencyPanel::CheckBox_ValutaKursClick);
    connect(valutaSite_, &QComboBox::activated, this, &CurrencyPanel::ComboBox_ValutaSiteChange);
    connect(valutaName_, &QComboBox::activated, this, &CurrencyPanel::ComboBox_ValutaNameChange);

    setAdministrator(false);
}

void CurrencyPanel::setAdministrator(bool administrator)
{
    administrator_ = administrator;
    valutaName_->setEnabled(administrator);
    valutaKurs_->setEnabled(administrator);
    valutaSite_->setEnabled(administrator);
}

void CurrencyPanel::setRoundingProvider(std::function<PriceRounding()> provider)
{
    rounding_ = provider ? std::move(provider) : [] { return PriceRounding{}; };
}

void CurrencyPanel::setFeedFetcher(RateFeedFetcher fetch)
{
    fetch_ = fetch ? std::move(fetch) : HttpRateFeedFetcher(options_.http);
}

void CurrencyPanel::setEditLocale(const QLocale& locale)
{
    locale_ = locale;
    locale_.setNumberOptions(QLocale::OmitGroupSeparator);
}

int CurrencyPanel::currencyOfRow(int row) const
{
    switch (row) {
    case RowDollar: return CurrencyUSD;
    case RowEvro: return CurrencyEUR;
    case RowBYR: return lowerRows_[0];
    default: return lowerRows_[1];
    }
}

void CurrencyPanel::RefreshCurrencyRates()
{
    // Set while the controls are refilled, so their change handlers and the
    // re-pricing timer leave them alone.
    refreshRunning_ = true;
    RateRefreshResult result;
    try {
        result = velmora::RefreshCurrencyRates(priceDb_, QDateTime::currentDateTime(), fetch_, options_.baseUrl);
        valutaKurs_->setChecked(rate_settings::downloadEnabled(priceDb_));
        const int site = rate_settings::sourceSetting(priceDb_);
        valutaSite_->setCurrentIndex(site >= 0 && site < valutaSite_->count() ? site : -1);
    } catch (const std::exception& error) {
        refreshRunning_ = false;
        emit statusMessage(QStringLiteral("Курсы валют не обновлены: %1").arg(ErrorText(error)));
        return;
    }

    table_ = result.table;
    // Typed rates still waiting for the write lock hold over the stored
    // ones; a downloaded feed replaces them.
    if (result.downloaded)
        pendingRates_.clear();
    for (const auto& [currency, pending] : pendingRates_)
        table_.rates[size_t(currency)] = pending.rate;
    lowerRows_ = result.lowerRows;
    lastFeedText_ = result.feedText;
    ratesUnconfirmed_ = result.downloadFailed;
    valutaName_->setCurrentIndex(table_.displayIndex);
    showRates();
    refreshRunning_ = false;

    if (result.ratesChanged)
        armRepricing();
    emit priceColumnTitleChanged(QStringLiteral("Цена (") + table_.displayCode() + u')');
    emit currencyTableChanged();
    if (!result.statusText.isEmpty())
        emit statusMessage(result.statusText);
}

void CurrencyPanel::showRates()
{
    for (int row = 0; row < RowCount; ++row) {
        const int currency = currencyOfRow(row);
        labels_[size_t(row)]->setText(CurrencyCode(currency));
        QLineEdit* edit = edits_[size_t(row)];
        edit->setText(locale_.toString(table_.rate(currency), 'g', 10));
        edit->setStyleSheet(ratesUnconfirmed_ ? QStringLiteral("QLineEdit { color: #c00000; background: #fff0f0; }")
                                              : QString());
        edit->setToolTip(ratesUnconfirmed_ ? QStringLiteral("Курс не загружен с сайта: показан сохранённый курс. "
                                                            "Проверьте его или введите вручную.")
                                           : QString());
    }
}

void CurrencyPanel::armRepricing()
{
    repriceTimer_->start();
}

void CurrencyPanel::Timer_ValutaKursUpdateTimer()
{
    if (refreshRunning_) {
        repriceTimer_->start(); // try again once the refresh is over
        return;
    }
    repriceTimer_->stop();
    RepriceForeignGoods();
}

void CurrencyPanel::RepriceForeignGoods()
{
    if (refreshRunning_)
        return;
    try {
        const bool stored = storePendingRates();
        if (!administrator_) {
            if (!stored)
                armRepricing();
            return;
        }
        std::optional<RepriceResult> result;
        if (stored) {
            db::ShortLockWait wait(priceDb_, kLockWaitMs);
            try {
                result = velmora::RepriceForeignGoods(priceDb_, table_, rounding_());
            } catch (const db::DbError& error) {
                if (!error.lockHeldElsewhere())
                    throw;
            }
        }
        if (!result) {
            // The load's commit ends the wait; its offers are re-priced then.
            emit statusMessage(QStringLiteral("Цены будут пересчитаны по курсам валют после загрузки прайс-листа"));
            armRepricing();
            return;
        }
        emit statusMessage(QStringLiteral("Цены пересчитаны по курсам валют: ") +
                           RussianCount(result->offersChanged, QStringLiteral("товар"), QStringLiteral("товара"),
                                        QStringLiteral("товаров")));
        if (result->offersChanged > 0)
            emit goodsRepriced();
    } catch (const std::exception& error) {
        emit statusMessage(QStringLiteral("Цены не пересчитаны: %1").arg(ErrorText(error)));
    }
}

bool CurrencyPanel::storePendingRates()
{
    if (pendingRates_.empty())
        return true;
    db::ShortLockWait wait(priceDb_, kLockWaitMs);
    try {
        db::Transaction transaction(priceDb_);
        for (const auto& [currency, pending] : pendingRates_)
            StoreTypedRate(priceDb_, currency, pending.rate, pending.extraSetting);
        transaction.commit();
    } catch (const db::DbError& error) {
        if (error.lockHeldElsewhere())
            return false;
        throw;
    }
    pendingRates_.clear();
    return true;
}

void CurrencyPanel::CheckBox_ValutaKursClick(bool checked)
{
    try {
        rate_settings::setDownloadEnabled(priceDb_, checked);
    } catch (const std::exception& error) {
        emit statusMessage(ErrorText(error));
        return;
    }
    if (checked)
        RefreshCurrencyRates();
}

void CurrencyPanel::ComboBox_ValutaSiteChange(int index)
{
    try {
        rate_settings::setSourceSetting(priceDb_, index);
    } catch (const std::exception& error) {
        emit statusMessage(ErrorText(error));
        return;
    }
    // Also with downloading off: the table must hold the new source's
    // stored rates before anything is re-priced with it.
    RefreshCurrencyRates();
    armRepricing();
}

void CurrencyPanel::ComboBox_ValutaNameChange(int index)
{
    if (refreshRunning_ || !CurrencyTable::isCurrencyIndex(index))
        return;
    try {
        rate_settings::setDisplayIndex(priceDb_, index);
    } catch (const std::exception& error) {
        emit statusMessage(ErrorText(error));
        return;
    }
    table_.displayIndex = index;
    RefreshCurrencyRates();
    armRepricing();
}

void CurrencyPanel::rateEditChanged(int row)
{
    if (refreshRunning_)
        return;
    const std::optional<double> rate = ParseTypedRate(edits_[size_t(row)]->text());
    if (!rate)
        return; // not a usable rate yet (e.g. "0" on the way to "0,5")
    // A rate the user typed is a real one.
    edits_[size_t(row)]->setStyleSheet(QString());
    edits_[size_t(row)]->setToolTip(QString());
    const int currency = currencyOfRow(row);
    try {
        const TypedRateChange change = TakeTypedRate(priceDb_, table_, currency, *rate);
        if (change.storeDue)
            pendingRates_[currency] = {*rate, QString::fromLatin1(kExtraSettings[row])};
        else
            pendingRates_.erase(currency); // typed back to the stored value
        if (!change.any())
            return;
        emit currencyTableChanged();
        armRepricing();
        // Stored at once when the lock is free, else with the re-pricing.
        storePendingRates();
    } catch (const std::exception& error) {
        emit statusMessage(ErrorText(error));
    }
}

bool CurrencyPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (!edit || std::find(edits_.begin(), edits_.end(), edit) == edits_.end())
        return QWidget::eventFilter(watched, event);

    auto* key = static_cast<QKeyEvent*>(event);
    const QString text = key->text();
    // Keys without a printable character (arrows, Delete, shortcuts) keep
    // their usual meaning; only typed characters go through the rule.
    const bool typed = text.size() == 1 && (text[0].isPrint() || text[0] == u'\b')
                       && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (!typed)
        return QWidget::eventFilter(watched, event);
    emit priceListSettingsChanged();
    if (text[0] == u'\b')
        return false;
    const RateKeyDecision decision = FilterRateKey(edit->text(), text[0], locale_.decimalPoint().at(0));
    if (!decision.accept)
        return true;
    if (decision.insert != text[0]) {
        edit->insert(QString(decision.insert));
        return true;
    }
    return false;
}

} // namespace velmora
