#pragma once

#include "suppliers/pricing.h"

#include <QString>
#include <QStringEncoder>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
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
    // Empties the store and keeps its capacity.
    void clear()
    {
        offers_.clear();
        pool_.clear();
        overrides_.clear();
        pendingStart_ = 0;
        pendingCount_ = 0;
    }

    // Appends an offer with its texts (already cut to their lengths),
    // encoded straight into the pool: no buffer of its own per text.
    void add(OfferRecord record, const std::array<QString, kOfferTextCount>& texts)
    {
        for (const QString& text : texts)
            appendText(text);
        addAppended(record);
    }

    // Or text by text, in field order, each as a QString or as UTF-8 bytes
    // already in their stored form; then the offer they belong to.
    void appendText(const QString& text)
    {
        const std::size_t start = pool_.size();
        // A UTF-16 unit never takes more than three bytes in UTF-8.
        char* const end = encoder_.appendToBuffer(pool_.extend(std::size_t(text.size()) * 3), text);
        pool_.cut(std::size_t(end - pool_.data()));
        if (encoder_.hasError()) {
            // A broken surrogate: stored as toUtf8() has always stored it.
            encoder_.resetState();
            const QByteArray utf8 = text.toUtf8();
            pool_.cut(start);
            copyIn(utf8.constData(), std::size_t(utf8.size()));
        }
        pending_[size_t(pendingCount_++)] = std::uint32_t(pool_.size() - start);
    }
    void appendUtf8(std::string_view utf8)
    {
        copyIn(utf8.data(), utf8.size());
        pending_[size_t(pendingCount_++)] = std::uint32_t(utf8.size());
    }
    // The texts appended since the last offer are this one's.
    void addAppended(OfferRecord record)
    {
        record.textStart = pendingStart_;
        record.textLength = pending_;
        pendingStart_ = pool_.size();
        pendingCount_ = 0;
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
        return std::string_view(pool_.data() + start, record.textLength[size_t(field)]);
    }

private:
    void copyIn(const char* bytes, std::size_t size)
    {
        if (size > 0)
            std::memcpy(pool_.extend(size), bytes, size);
    }

    // The texts' bytes: grown without filling, since each text is written
    // straight into the room it is given.
    class Pool {
    public:
        Pool() = default;
        Pool(Pool&& other) noexcept { *this = std::move(other); }
        Pool& operator=(Pool&& other) noexcept
        {
            bytes_ = std::move(other.bytes_);
            size_ = std::exchange(other.size_, 0);
            capacity_ = std::exchange(other.capacity_, 0);
            return *this;
        }
        std::size_t size() const { return size_; }
        const char* data() const { return bytes_.get(); }
        char* data() { return bytes_.get(); }
        void clear() { size_ = 0; }
        void cut(std::size_t size) { size_ = size; }
        // `length` more bytes at the end, their contents undefined.
        char* extend(std::size_t length)
        {
            if (size_ + length > capacity_) {
                const std::size_t capacity = std::max({size_ + length, capacity_ * 2, std::size_t(64) << 10});
                std::unique_ptr<char[]> grown(new char[capacity]);
                if (size_ > 0)
                    std::memcpy(grown.get(), bytes_.get(), size_);
                bytes_ = std::move(grown);
                capacity_ = capacity;
            }
            char* const at = bytes_.get() + size_;
            size_ += length;
            return at;
        }

    private:
        std::unique_ptr<char[]> bytes_;
        std::size_t size_ = 0;
        std::size_t capacity_ = 0;
    };

    std::vector<OfferRecord> offers_;
    Pool pool_;
    // The texts of the offer being added.
    std::uint64_t pendingStart_ = 0;
    std::array<std::uint32_t, kOfferTextCount> pending_{};
    int pendingCount_ = 0;
    std::unordered_map<std::size_t, std::string> overrides_;
    // Each text on its own: a broken surrogate at the end of one never
    // joins the next.
    QStringEncoder encoder_{QStringConverter::Utf8, QStringConverter::Flag::Stateless};
};

} // namespace velmora::loader
