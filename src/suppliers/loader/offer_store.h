#pragma once

#include "suppliers/pricing.h"

#include <QString>
#include <QStringEncoder>

#include <array>
#include <string>
#include <unordered_map>
#include <vector>

namespace velmora::loader {

// The text fields of an offer, in the order the store keeps them.
enum OfferText : int { TextArt, TextTovar, TextGarant, TextSklad, TextDescription, TextNoName, kOfferTextCount };

// One parsed offer. Its texts live in the store's UTF-8 pool, so a list of a
// million offers costs its characters and a few dozen bytes each.
struct OfferRecord {
    std::uint64_t textStart = 0;
    std::array<std::uint32_t, kOfferTextCount> textLength{};
    double quotedPrice = 0;
    double quotedPricemax = 0;
    StoredPrices prices;
    int sourceRow = 0;
    int nacen = 0;
    std::int8_t currencyIndex = -1; // the code the prices were converted from
};

// The parsed offers of one price list, in file order, kept until they are
// written. Hyperlink texts, known only at the end of a sheet, are set later
// through setText overrides.
class OfferStore {
public:
    void reserve(std::size_t offers) { offers_.reserve(offers); }

    // Appends an offer with its texts (already cut to their lengths),
    // encoded straight into the pool: no buffer of its own per text.
    void add(OfferRecord record, const std::array<QString, kOfferTextCount>& texts)
    {
        record.textStart = pool_.size();
        for (int i = 0; i < kOfferTextCount; ++i) {
            const QString& text = texts[size_t(i)];
            const std::size_t start = pool_.size();
            // A UTF-16 unit never takes more than three bytes in UTF-8.
            pool_.resize(start + std::size_t(text.size()) * 3);
            char* const end = encoder_.appendToBuffer(pool_.data() + start, text);
            pool_.resize(std::size_t(end - pool_.data()));
            if (encoder_.hasError()) {
                // A broken surrogate: stored as toUtf8() has always stored it.
                encoder_.resetState();
                const QByteArray utf8 = text.toUtf8();
                pool_.replace(start, std::string::npos, utf8.constData(), std::size_t(utf8.size()));
            }
            record.textLength[size_t(i)] = std::uint32_t(pool_.size() - start);
        }
        offers_.push_back(record);
    }

    // Replaces one text of an offer (the link of a hyperlink column).
    void setText(std::size_t offer, OfferText field, const QString& text)
    {
        overrides_[offer * kOfferTextCount + size_t(field)] = text.toUtf8().toStdString();
    }
    bool hasOverride(std::size_t offer, OfferText field) const
    {
        return overrides_.count(offer * kOfferTextCount + size_t(field)) != 0;
    }

    std::size_t size() const { return offers_.size(); }
    bool empty() const { return offers_.empty(); }
    const OfferRecord& at(std::size_t offer) const { return offers_[offer]; }

    // The UTF-8 bytes of one text; valid until the store changes.
    std::string_view text(std::size_t offer, OfferText field) const
    {
        const auto found = overrides_.find(offer * kOfferTextCount + size_t(field));
        if (found != overrides_.end())
            return found->second;
        const OfferRecord& record = offers_[offer];
        std::uint64_t start = record.textStart;
        for (int i = 0; i < field; ++i)
            start += record.textLength[size_t(i)];
        return std::string_view(pool_).substr(start, record.textLength[size_t(field)]);
    }

private:
    std::vector<OfferRecord> offers_;
    std::string pool_;
    std::unordered_map<std::size_t, std::string> overrides_;
    // Each text on its own: a broken surrogate at the end of one never
    // joins the next.
    QStringEncoder encoder_{QStringConverter::Utf8, QStringConverter::Flag::Stateless};
};

} // namespace velmora::loader
