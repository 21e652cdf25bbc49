#pragma once

#include "criteria_match.h"

#include "platform/db/connection.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::catalogue {

// The supplier items of one automatic matching run, held in memory: those
// of price_all that take part (Check_obrab true) and have a name, in Number
// order, each with its name as stored and folded once.
class MatchingItems {
public:
    // Reads them, side by side over a large remainder. Throws db::DbError.
    static MatchingItems read(db::Connection& priceDb);

    size_t size() const { return numbers_.size(); }
    qint64 number(size_t i) const { return numbers_[i]; }
    std::string_view name(size_t i) const { return slice(names_, nameEnds_, i); }
    std::string_view folded(size_t i) const { return slice(folded_, foldedEnds_, i); }

    void append(qint64 number, std::string_view name, std::string_view folded);
    void append(const MatchingItems& other);

private:
    static std::string_view slice(const std::string& text, const std::vector<uint64_t>& ends, size_t i)
    {
        const uint64_t begin = i == 0 ? 0 : ends[i - 1];
        return std::string_view(text).substr(begin, ends[i] - begin);
    }

    std::vector<qint64> numbers_;
    std::string names_;
    std::string folded_;
    std::vector<uint64_t> nameEnds_;
    std::vector<uint64_t> foldedEnds_;
};

// The parts of a criteria row's words that every name it takes must hold
// as they stand: each word folded and cut at its wildcards "%" and "_". The
// longer ones are kept (of 3 bytes and more, less those another kept part
// holds, or else the longest); none for a row of empty or wildcard-only
// words, which can take any name.
std::vector<std::string> literalPartsOfRow(const CriteriaWords& words);

// Which items hold which literal parts: one pass of an Aho-Corasick
// automaton of all the parts over the folded names (side by side), giving
// for each part the items whose folded name holds it.
class LiteralPartIndex {
public:
    // `parts`: distinct texts, known afterwards by their position.
    LiteralPartIndex(const MatchingItems& items, std::vector<std::string> parts);

    // The items (by position in MatchingItems, ascending) whose names hold
    // every one of the parts; all items for none. A superset of the items
    // a row takes: the row's own matcher then decides.
    void itemsHoldingAll(const std::vector<int>& partIds, std::vector<uint32_t>& out) const;

private:
    struct Postings {
        std::vector<uint32_t> items;
        std::vector<uint64_t> bits; // for a frequent part: a bit per item
    };
    size_t itemCount_ = 0;
    std::vector<std::string> parts_;
    std::vector<Postings> postings_;
};

} // namespace velmora::catalogue
