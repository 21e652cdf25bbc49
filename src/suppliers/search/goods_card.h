#pragma once

#include "goods_card_data.h"

#include "goods_columns.h"

#include <QList>
#include <QWidget>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace velmora::search {

// Panel_TovarViews: the current offer's fields and its supplier's contacts.
class GoodsCard : public QWidget {
    Q_OBJECT
public:
    using ContactsSource = std::function<std::optional<SupplierContacts>(const QString& supplier)>;
    using LinkOpener = std::function<bool(const QUrl&)>;
    using ErrorReporter = std::function<void(const QString&)>;

    explicit GoodsCard(ContactsSource contacts, QWidget* parent = nullptr);

    // Opening links (the desktop's handler by default) and reporting
    // failures (none: nothing is shown); tests replace both.
    void setLinkOpener(LinkOpener opener) { openLink_ = std::move(opener); }
    void setErrorReporter(ErrorReporter reporter) { reportError_ = std::move(reporter); }

    // The offer fields of the current row; the contacts are cleared and,
    // while the card is shown, read again.
    void showOffer(const OfferCard& offer);
    // Clears the five contact fields and fills them when the card is shown.
    void ShowTovarDetails();

    const OfferCard& offer() const { return offer_; }

    // The captions of the fields that carry the user's column titles.
    void setColumnTitles(const ColumnTitles& titles);

    // Label_siteClick / Label_webClick: the supplier's address opened.
    void Label_siteClick();
    void Label_webClick();

    // The quantity list ComboBox_Quantity2 (editable; first entry "1").
    QString quantityText() const;
    // Back to its first entry, after the offer went into an order.
    void resetQuantity();
    // The list takes the focus (the card was asked for from the grid).
    void focusQuantity();

signals:
    // "Добавить в заказ" or Enter in the quantity list: the shown offer is
    // to go into the current order with quantityText(). The card hides
    // itself right after.
    void addToOrderRequested();
    // A double click on a column-title label (Label_art ...): the user
    // wants to rename that column.
    void columnTitleRenameRequested(const QString& labelName, const QString& caption);

public slots:
    void Button5Click() { hide(); }
    void SpeedButton_DescHyperLinkClick();
    void SpeedButton_StranaHyperLinkClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Button_ZakazClick();
    QLineEdit* addField(const QString& name, const QString& caption, int row, int column,
                        const QString& labelName = QString());
    void openText(const QString& text);

    ContactsSource contacts_;
    LinkOpener openLink_;
    ErrorReporter reportError_;
    OfferCard offer_;
    QLineEdit* Edit_ViewsArt;
    QLineEdit* Edit_ViewsTovar;
    QLineEdit* Edit_ViewsDescription;
    QLineEdit* Edit_Price;
    QLineEdit* Edit_PostavPrice;
    QLineEdit* Edit_PostavPriceMax;
    QLineEdit* Edit_Garant;
    QLineEdit* Edit_Sklad2;
    QLineEdit* Edit_Number;
    QLineEdit* Edit_PostavName;
    QLineEdit* Edit_PostavSklad;
    QLabel* Label_site;
    QLabel* Label_web;
    QLineEdit* Edit_tel2;
    QLineEdit* Edit_mail2;
    QLineEdit* Edit_info2;
    QComboBox* ComboBox_Quantity2;
    QList<QLabel*> titleLabels_;
    QPushButton* Button_Zakaz;
};

} // namespace velmora::search
