#pragma once

#include "catalogue/goods_card_data.h"

#include "platform/files/message_sink.h"

#include <QDialog>

#include <functional>
#include <memory>

namespace Ui {
class Form_MainTovAdEd;
}

namespace velmora::catalogue {

// The goods card "Изменение/ввод данных о товаре": a window kept above the
// others, centred on the screen, that adds a good ("ad") or edits one
// ("ed"). "Еще >>" shows the export details (URL, picture, comment).
class Form_MainTovAdEd : public QDialog {
    Q_OBJECT
public:
    explicit Form_MainTovAdEd(db::Connection& priceDb, QWidget* parent = nullptr);
    ~Form_MainTovAdEd() override;

    void setMessageSink(MessageSink sink) { messages_ = std::move(sink); }
    // Today's day number for a new good (the clock by default).
    void setToday(std::function<qint64()> today) { today_ = std::move(today); }

    // FormShow: fills the card from its opening and shows it.
    void showCard(const CardOpening& opening);
    const CardOpening& opening() const { return opening_; }
    // The fields as the user has edited them; false (with the message
    // shown) when the price is not a number.
    bool readFields(CardFields& fields) const;

public slots:
    void Button_AdEdOkClick();
    void Button_AdEdMoreClick();
    void CheckBox_SuperPriceClick();

signals:
    // A good was stored: the list shows it.
    void goodSaved(qint64 code);

private:
    void setDetailsShown(bool shown);

    db::Connection& priceDb_;
    std::unique_ptr<Ui::Form_MainTovAdEd> ui;
    CardOpening opening_;
    MessageSink messages_;
    std::function<qint64()> today_;
};

} // namespace velmora::catalogue
