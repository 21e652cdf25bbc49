#pragma once

#include "goods_card_data.h"

#include <QWidget>

#include <functional>

class QLabel;
class QLineEdit;
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

public slots:
    void Button5Click() { hide(); }
    void SpeedButton_DescHyperLinkClick();
    void SpeedButton_StranaHyperLinkClick();

private:
    QLineEdit* addField(const QString& name, const QString& caption, int row, int column);
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
};

} // namespace velmora::search
