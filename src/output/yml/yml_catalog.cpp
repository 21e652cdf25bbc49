#include "yml_catalog.h"

#include "output/empty_catalogue.h"
#include "output/output_error.h"
#include "platform/files/code_page.h"
#include "storage/value_helpers.h"

#include <QBuffer>
#include <QSaveFile>

#include <algorithm>

namespace velmora::output {
namespace {

// Lines end with a carriage return alone.
constexpr char kEnd[] = "\r";

void write(QIODevice& out, const QString& text) { WriteYmlText(out, text); }

// Six blanks + <tag> + escaped value + </tag>, the line of an offer's element.
void addOfferElement(QString& offer, const char* tag, const QString& value)
{
    const QLatin1String name(tag);
    offer += QStringLiteral("      <") + name + u'>' + EscapeXmlText(value) + QStringLiteral("</") + name + u'>' +
             QLatin1String(kEnd);
}

void addOptional(QString& offer, const char* tag, const QString& value)
{
    if (!value.isEmpty())
        addOfferElement(offer, tag, value);
}

void writeCurrency(QIODevice& out, const char* id, const YmlRate& rate)
{
    QString line = QStringLiteral("    <currency id=\"") + QLatin1String(id) + QStringLiteral("\" rate=\"") +
                   EscapeXmlText(FormatYmlRate(rate.rate.trimmed())) + u'"';
    if (rate.takesSurcharge() && rate.surcharge != 0)
        line += QStringLiteral(" plus=\"") + FormatYmlPrice(rate.surcharge) + u'"';
    write(out, line + QStringLiteral("/>") + QLatin1String(kEnd));
}

} // namespace

QString YmlCurrencyId(int index)
{
    switch (index) {
    case 1: return QStringLiteral("USD");
    case 2: return QStringLiteral("EUR");
    default: return QStringLiteral("RUR");
    }
}

QString FormatYmlRate(const QString& rate)
{
    QString text = rate;
    text.replace(centralBankRateText(), QStringLiteral("CBRF"));
    text.replace(u',', u'.');
    return text;
}

QString FormatYmlPrice(double value) { return RoundedDecimalText(value, 2, u'.'); }

QString EscapeXmlText(const QString& text)
{
    // Most texts need nothing: they are given back as they are.
    const auto plain = [](QChar c) {
        const char16_t u = c.unicode();
        return u >= 32 && u != u'&' && u != u'"' && u != u'<' && u != u'>' && u != u'\'' && !c.isSurrogate() &&
               u != 0xFFFE && u != 0xFFFF;
    };
    const auto kept = [&plain](QChar c) { return plain(c) || c == u'\t' || c == u'\n' || c == u'\r'; };
    if (std::all_of(text.cbegin(), text.cend(), kept))
        return text;
    QString result;
    result.reserve(text.size() + 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isSurrogate()) {
            // A pair is one character; a lone half is none and is dropped.
            if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
                result += c;
                result += text[++i];
            }
            continue;
        }
        switch (c.unicode()) {
        case u'&': result += QStringLiteral("&amp;"); break;
        case u'"': result += QStringLiteral("&quot;"); break;
        case u'<': result += QStringLiteral("&lt;"); break;
        case u'>': result += QStringLiteral("&gt;"); break;
        case u'\'': result += QStringLiteral("&apos;"); break;
        case u'\t':
        case u'\n':
        case u'\r': result += c; break;
        default:
            if (c.unicode() >= 32 && c.unicode() != 0xFFFE && c.unicode() != 0xFFFF)
                result += c;
        }
    }
    return result;
}

void WriteYmlText(QIODevice& out, const QString& text)
{
    const QByteArray bytes = SingleByteCodePage::windows1251().encode(
        text, [](char32_t code) { return "&#" + QByteArray::number(quint32(code)) + ';'; });
    if (out.write(bytes) != bytes.size())
        throw OutputError(QStringLiteral("Ошибка записи файла: ") + out.errorString());
}

void WriteYmlHeader(QIODevice& out)
{
    write(out, QStringLiteral("<?xml version=\"1.0\" encoding=\"windows-1251\" ?>\r"
                              "<!-- Каталог товаров, созданный программой Velmora -->\r"
                              "<!DOCTYPE yml_catalog SYSTEM \"shops.dtd\">\r"));
}

void WriteYmlCatalogOpen(QIODevice& out, const QDateTime& date)
{
    // Formatted here, never through the process's date settings.
    write(out, QStringLiteral("<yml_catalog date=\"") + date.toString(QStringLiteral("yyyy-MM-dd HH:mm")) +
                   QStringLiteral("\">\r\r"));
}

void WriteYmlShopOpen(QIODevice& out, const YmlShop& shop)
{
    write(out, QStringLiteral("<shop>\r   <name>") + EscapeXmlText(shop.name.left(20)) +
                   QStringLiteral("</name>\r   <company>") + EscapeXmlText(shop.company) +
                   QStringLiteral("</company>\r   <url>") + EscapeXmlText(shop.url) + QStringLiteral("</url>\r\r"));
}

void WriteYmlCurrencies(QIODevice& out, const YmlRate& usd, const YmlRate& eur)
{
    write(out, QStringLiteral("<currencies>\r    <currency id=\"RUR\" rate=\"1\"/>\r"));
    writeCurrency(out, "USD", usd);
    writeCurrency(out, "EUR", eur);
    write(out, QStringLiteral("</currencies>\r\r"));
}

void WriteYmlCategoriesOpen(QIODevice& out) { write(out, QStringLiteral("<categories>\r")); }

void WriteYmlCategory(QIODevice& out, const YmlCategory& category)
{
    QString line = QStringLiteral("    <category id=\"") + QString::number(category.id) + u'"';
    if (category.parentId > 0)
        line += QStringLiteral(" parentId=\"") + QString::number(category.parentId) + u'"';
    write(out, line + u'>' + EscapeXmlText(category.name) + QStringLiteral("</category>\r"));
}

void WriteYmlCategoriesClose(QIODevice& out) { write(out, QStringLiteral("</categories>\r\r")); }

void WriteYmlDeliveryIncluded(QIODevice& out) { write(out, QStringLiteral("<deliveryIncluded/>\r\r")); }

void WriteYmlOffersOpen(QIODevice& out) { write(out, QStringLiteral("<offers>\r")); }

void WriteYmlOffer(QIODevice& out, const YmlOffer& offer)
{
    // One offer, one write.
    QString text = QStringLiteral("    <offer id=\"") + QString::number(offer.id) + QStringLiteral("\">\r");
    addOfferElement(text, "url", offer.url);
    addOfferElement(text, "price", FormatYmlPrice(offer.price));
    addOfferElement(text, "currencyId", offer.currencyId);
    addOfferElement(text, "categoryId", QString::number(offer.categoryId));
    addOfferElement(text, "picture", offer.picture);
    if (offer.delivery > 0)
        text += QStringLiteral("      <deliveryIncluded/>\r");
    if (!offer.orderingTime.isEmpty())
        text += QStringLiteral("      <orderingTime>\r        <ordering>") + EscapeXmlText(offer.orderingTime) +
                QStringLiteral("</ordering>\r      </orderingTime>\r");
    if (!offer.vendor.isEmpty() && !offer.model.isEmpty()) {
        addOptional(text, "typePrefix", offer.typePrefix);
        addOfferElement(text, "vendor", offer.vendor);
        addOptional(text, "vendorCode", offer.vendorCode);
        addOfferElement(text, "model", offer.model);
        if (!offer.provider.isEmpty()) {
            addOfferElement(text, "provider", offer.provider);
            addOptional(text, "tarifplan", offer.tarifplan);
        }
    } else {
        addOfferElement(text, "name", offer.name);
        addOptional(text, "vendorCode", offer.vendorCode);
    }
    text += QStringLiteral("      <description></description>\r    </offer>\r\r");
    write(out, text);
}

void WriteYmlOffersClose(QIODevice& out) { write(out, QStringLiteral("</offers>\r")); }

void WriteYmlShopClose(QIODevice& out) { write(out, QStringLiteral("</shop>\r")); }

void WriteYmlCatalogClose(QIODevice& out) { write(out, QStringLiteral("</yml_catalog>")); }

void ExportYmlCatalog(const QString& path, const YmlCatalog& catalog, const QDateTime& date)
{
    if (catalog.categories.isEmpty())
        throw OutputError(noGroupsMessage(QStringLiteral("файл XML не создан")));
    if (catalog.offers.isEmpty())
        throw OutputError(noGoodsMessage(QStringLiteral("файл XML не создан")));

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw OutputError(QStringLiteral("Невозможно создать файл ") + path + QStringLiteral(": ") + file.errorString());
    // The elements are written into memory and go to the file a megabyte at
    // a time.
    QBuffer chunk;
    chunk.open(QIODevice::WriteOnly);
    const auto flush = [&file, &chunk](qint64 atLeast) {
        if (chunk.size() < atLeast)
            return;
        if (file.write(chunk.data()) != chunk.size())
            throw OutputError(QStringLiteral("Ошибка записи файла: ") + file.errorString());
        chunk.buffer().clear();
        chunk.seek(0);
    };
    WriteYmlHeader(chunk);
    WriteYmlCatalogOpen(chunk, date);
    WriteYmlShopOpen(chunk, catalog.shop);
    WriteYmlCurrencies(chunk, catalog.usd, catalog.eur);
    WriteYmlCategoriesOpen(chunk);
    for (const YmlCategory& category : catalog.categories) {
        WriteYmlCategory(chunk, category);
        flush(1 << 20);
    }
    WriteYmlCategoriesClose(chunk);
    if (catalog.deliveryIncluded)
        WriteYmlDeliveryIncluded(chunk);
    WriteYmlOffersOpen(chunk);
    for (const YmlOffer& offer : catalog.offers) {
        WriteYmlOffer(chunk, offer);
        flush(1 << 20);
    }
    WriteYmlOffersClose(chunk);
    WriteYmlShopClose(chunk);
    WriteYmlCatalogClose(chunk);
    flush(0);
    if (!file.commit())
        throw OutputError(QStringLiteral("Ошибка записи файла ") + path + QStringLiteral(": ") + file.errorString());
}

} // namespace velmora::output
