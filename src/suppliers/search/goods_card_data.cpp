#include "goods_card_data.h"

#include "storage/value_helpers.h"
#include "supplier_goods_model.h"

#include <QLocale>

namespace velmora::search {

QString cardPriceText(const QVariant& value) { return cardPriceText(value, -1); }

QString cardPriceText(const QVariant& value, int places)
{
    if (value.isNull() || !value.isValid())
        return QString();
    bool ok = false;
    const double x = value.toDouble(&ok);
    if (!ok)
        return value.toString();
    if (places < 0)
        return RoundedDecimalText(x, 4, u',');
    const double rounded = RoundValue(places, x) + 0.0; // no "-0,00"
    return QString::number(rounded, 'f', places).replace(u'.', u',');
}

OfferCard offerCardOf(const SupplierGoodsModel& model, int row, int places)
{
    auto price = [&](const char* field) {
        return cardPriceText(model.field(row, QString::fromLatin1(field)), places);
    };
    auto text = [&](const char* field) { return model.field(row, QString::fromLatin1(field)).toString(); };
    OfferCard card;
    card.art = text("Art");
    card.tovar = text("Tovar");
    card.description = text("Description");
    card.priceOut = price("PriceOut");
    card.price = price("Price");
    card.pricemax = price("Pricemax");
    card.garant = text("Garant");
    card.textNoName = text("TextNoName");
    card.number = text("Number");
    card.supplier = text("Postavshik");
    card.sklad = text("Sklad");
    return card;
}

std::optional<SupplierContacts> readSupplierContacts(const db::Connection& priceDb, const QString& supplier)
{
    db::Statement s = priceDb.prepare(QStringLiteral(
        "SELECT Address, Person, Phones, Mail, Name_full FROM postav_info WHERE Postavshik=:Postav"));
    s.bind(QStringLiteral(":Postav"), supplier);
    if (!s.step())
        return std::nullopt;
    return SupplierContacts{s.text(0), s.text(1), s.text(2), s.text(3), s.text(4)};
}

std::optional<QUrl> linkTarget(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    QString candidate = trimmed;
    if (candidate.startsWith(QStringLiteral("www."), Qt::CaseInsensitive))
        candidate.prepend(QStringLiteral("http://"));
    const QUrl url(candidate, QUrl::StrictMode);
    if (!url.isValid())
        return std::nullopt;
    const QString scheme = url.scheme().toLower();
    if (scheme == QStringLiteral("mailto"))
        return url.path().isEmpty() ? std::nullopt : std::optional<QUrl>(url);
    if ((scheme == QStringLiteral("http") || scheme == QStringLiteral("https") || scheme == QStringLiteral("ftp"))
        && !url.host().isEmpty())
        return url;
    return std::nullopt;
}

} // namespace velmora::search
