#include "auto_match_index.h"

#include "side_by_side.h"

#include <algorithm>
#include <array>
#include <thread>

namespace velmora::catalogue {
namespace {

// Parts shorter than this are common to most names and tell little.
constexpr size_t kTellingPartBytes = 3;
// A part held by at least one item in this many gets a bit per item.
constexpr size_t kBitmapDivisor = 32;

// A byte-wise Aho-Corasick automaton: every pattern found in a text in one
// pass. Nodes keep their edges sorted in one array; the root's 256 moves
// are a table of their own.
class Automaton {
public:
    explicit Automaton(const std::vector<std::string>& patterns)
    {
        std::vector<std::vector<std::pair<uint8_t, int32_t>>> children(1);
        output_.push_back(-1);
        for (size_t id = 0; id < patterns.size(); ++id) {
            int32_t node = 0;
            for (const char c : patterns[id]) {
                const auto byte = static_cast<uint8_t>(c);
                auto& edges = children[size_t(node)];
                const auto at = std::find_if(edges.begin(), edges.end(), [byte](const auto& e) { return e.first == byte; });
                if (at != edges.end()) {
                    node = at->second;
                    continue;
                }
                const auto next = int32_t(children.size());
                edges.emplace_back(byte, next);
                children.emplace_back();
                output_.push_back(-1);
                node = next;
            }
            output_[size_t(node)] = int32_t(id);
        }
        const size_t n = children.size();
        edgeBegin_.assign(n + 1, 0);
        for (size_t i = 0; i < n; ++i) {
            std::sort(children[i].begin(), children[i].end());
            edgeBegin_[i + 1] = edgeBegin_[i] + uint32_t(children[i].size());
        }
        edgeByte_.reserve(edgeBegin_[n]);
        edgeTarget_.reserve(edgeBegin_[n]);
        for (const auto& edges : children)
            for (const auto& [byte, target] : edges) {
                edgeByte_.push_back(byte);
                edgeTarget_.push_back(target);
            }
        // Failure and dictionary links, breadth first.
        fail_.assign(n, 0);
        dictionary_.assign(n, -1);
        root_.fill(0);
        std::vector<int32_t> queue;
        for (uint32_t e = edgeBegin_[0]; e < edgeBegin_[1]; ++e) {
            root_[edgeByte_[e]] = edgeTarget_[e];
            queue.push_back(edgeTarget_[e]);
        }
        for (size_t head = 0; head < queue.size(); ++head) {
            const int32_t u = queue[head];
            for (uint32_t e = edgeBegin_[size_t(u)]; e < edgeBegin_[size_t(u) + 1]; ++e) {
                const int32_t v = edgeTarget_[e];
                const int32_t f = step(fail_[size_t(u)], edgeByte_[e]);
                fail_[size_t(v)] = f;
                dictionary_[size_t(v)] = output_[size_t(f)] >= 0 ? f : dictionary_[size_t(f)];
                queue.push_back(v);
            }
        }
    }

    // Calls found(pattern) for each pattern at each place it ends in text.
    template <typename Found>
    void scan(std::string_view text, Found&& found) const
    {
        int32_t state = 0;
        for (const char c : text) {
            state = step(state, static_cast<uint8_t>(c));
            for (int32_t v = output_[size_t(state)] >= 0 ? state : dictionary_[size_t(state)]; v > 0;
                 v = dictionary_[size_t(v)])
                found(output_[size_t(v)]);
        }
    }

private:
    int32_t child(int32_t node, uint8_t byte) const
    {
        if (node == 0)
            return root_[byte];
        const auto first = edgeByte_.begin() + edgeBegin_[size_t(node)];
        const auto last = edgeByte_.begin() + edgeBegin_[size_t(node) + 1];
        const auto at = std::lower_bound(first, last, byte);
        return at != last && *at == byte ? edgeTarget_[size_t(at - edgeByte_.begin())] : -1;
    }
    int32_t step(int32_t state, uint8_t byte) const
    {
        for (;;) {
            const int32_t next = child(state, byte);
            if (next >= 0)
                return next;
            if (state == 0)
                return 0; // the root's table holds 0 for a byte no pattern starts with
            state = fail_[size_t(state)];
        }
    }

    std::vector<int32_t> output_; // the pattern ending at a node, or -1
    std::vector<uint32_t> edgeBegin_;
    std::vector<uint8_t> edgeByte_;
    std::vector<int32_t> edgeTarget_;
    std::vector<int32_t> fail_;
    std::vector<int32_t> dictionary_; // the next node on the failure chain with a pattern
    std::array<int32_t, 256> root_{};
};

bool hasBit(const std::vector<uint64_t>& bits, uint32_t item) { return (bits[item >> 6] >> (item & 63)) & 1; }

// Moves `at` on to the first item not below `item` (galloping), and says
// whether the list holds it.
bool advanceTo(const std::vector<uint32_t>& list, size_t& at, uint32_t item)
{
    size_t step = 1;
    size_t high = at;
    while (high < list.size() && list[high] < item) {
        at = high + 1;
        high += step;
        step *= 2;
    }
    at = size_t(std::lower_bound(list.begin() + qsizetype(at), list.begin() + qsizetype(std::min(high, list.size())), item)
                - list.begin());
    return at < list.size() && list[at] == item;
}

} // namespace

// ---- MatchingItems ---------------------------------------------------------

void MatchingItems::append(qint64 number, std::string_view name, std::string_view folded)
{
    numbers_.push_back(number);
    names_.append(name);
    folded_.append(folded);
    nameEnds_.push_back(names_.size());
    foldedEnds_.push_back(folded_.size());
}

void MatchingItems::append(const MatchingItems& other)
{
    const uint64_t names = names_.size();
    const uint64_t folded = folded_.size();
    numbers_.insert(numbers_.end(), other.numbers_.begin(), other.numbers_.end());
    names_ += other.names_;
    folded_ += other.folded_;
    for (const uint64_t end : other.nameEnds_)
        nameEnds_.push_back(names + end);
    for (const uint64_t end : other.foldedEnds_)
        foldedEnds_.push_back(folded + end);
}

MatchingItems MatchingItems::read(db::Connection& priceDb)
{
    const qint64 last = priceDb.scalar(QStringLiteral("SELECT max(Number) FROM price_all")).toLongLong();
    const std::vector<NumberRange> ranges = sideBySideRanges(priceDb, 0, last);
    std::vector<MatchingItems> parts(ranges.size());
    runSideBySide(priceDb, ranges.size(), [&](db::Connection& connection, size_t i) {
        db::Statement select = connection.prepare(QStringLiteral(
            "SELECT Number, Tovar FROM price_all WHERE Number > ?1 AND Number <= ?2 AND Check_obrab = 'true' "
            "AND Tovar IS NOT NULL ORDER BY Number"));
        select.bindInt(1, ranges[i].from).bindInt(2, ranges[i].to);
        std::string buffer;
        while (select.step()) {
            const std::string_view name = select.utf8(1);
            parts[i].append(select.integer(0), name, CriteriaMatcher::foldName(name, buffer));
        }
    });
    if (parts.size() == 1)
        return std::move(parts.front());
    MatchingItems items;
    for (const MatchingItems& part : parts)
        items.append(part);
    return items;
}

// ---- Literal parts ---------------------------------------------------------

std::vector<std::string> literalPartsOfRow(const CriteriaWords& words)
{
    std::vector<std::string> parts;
    for (const QString& word : words) {
        if (word.isEmpty())
            continue;
        const QByteArray utf8 = word.toUtf8();
        const std::string folded = db::foldUtf8(std::string_view(utf8.constData(), size_t(utf8.size())));
        size_t start = 0;
        while (start <= folded.size()) {
            const size_t end = std::min(folded.find_first_of("%_", start), folded.size());
            if (end > start)
                parts.push_back(folded.substr(start, end - start));
            start = end + 1;
        }
    }
    std::sort(parts.begin(), parts.end(), [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() > b.size() : a < b;
    });
    parts.erase(std::unique(parts.begin(), parts.end()), parts.end());
    if (parts.empty() || parts.front().size() < kTellingPartBytes) {
        parts.resize(std::min<size_t>(parts.size(), 1));
        return parts;
    }
    std::vector<std::string> kept;
    for (const std::string& part : parts) {
        if (part.size() < kTellingPartBytes)
            break;
        const bool held = std::any_of(kept.begin(), kept.end(),
                                      [&part](const std::string& k) { return k.find(part) != std::string::npos; });
        if (!held)
            kept.push_back(part);
    }
    return kept;
}

// ---- LiteralPartIndex ------------------------------------------------------

LiteralPartIndex::LiteralPartIndex(const MatchingItems& items, std::vector<std::string> parts)
    : itemCount_(items.size()), parts_(std::move(parts)), postings_(parts_.size())
{
    if (parts_.empty() || itemCount_ == 0)
        return;
    const Automaton automaton(parts_);
    const size_t threads = std::clamp<size_t>(std::thread::hardware_concurrency() / 2, 1, 4);
    const size_t span = (itemCount_ + threads - 1) / threads;
    std::vector<std::vector<std::vector<uint32_t>>> found(threads, std::vector<std::vector<uint32_t>>(parts_.size()));
    std::vector<std::thread> workers;
    for (size_t t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            std::vector<uint32_t> seenBy(parts_.size(), 0); // the item (+1) that last held each part
            const size_t end = std::min(itemCount_, (t + 1) * span);
            for (size_t i = t * span; i < end; ++i) {
                const auto item = uint32_t(i);
                automaton.scan(items.folded(i), [&](int32_t part) {
                    if (seenBy[size_t(part)] != item + 1) {
                        seenBy[size_t(part)] = item + 1;
                        found[t][size_t(part)].push_back(item);
                    }
                });
            }
        });
    }
    for (std::thread& worker : workers)
        worker.join();
    for (size_t p = 0; p < parts_.size(); ++p) {
        Postings& postings = postings_[p];
        size_t total = 0;
        for (size_t t = 0; t < threads; ++t)
            total += found[t][p].size();
        postings.items.reserve(total);
        for (size_t t = 0; t < threads; ++t) {
            postings.items.insert(postings.items.end(), found[t][p].begin(), found[t][p].end());
            std::vector<uint32_t>().swap(found[t][p]);
        }
        if (total * kBitmapDivisor >= itemCount_) {
            postings.bits.assign(itemCount_ / 64 + 1, 0);
            for (const uint32_t item : postings.items)
                postings.bits[item >> 6] |= uint64_t(1) << (item & 63);
        }
    }
}

void LiteralPartIndex::itemsHoldingAll(const std::vector<int>& partIds, std::vector<uint32_t>& out) const
{
    out.clear();
    if (partIds.empty()) {
        out.resize(itemCount_);
        for (size_t i = 0; i < itemCount_; ++i)
            out[i] = uint32_t(i);
        return;
    }
    std::vector<const Postings*> lists;
    for (const int id : partIds)
        lists.push_back(&postings_[size_t(id)]);
    std::sort(lists.begin(), lists.end(),
              [](const Postings* a, const Postings* b) { return a->items.size() < b->items.size(); });
    std::vector<size_t> cursors(lists.size(), 0);
    for (const uint32_t item : lists.front()->items) {
        bool all = true;
        for (size_t l = 1; l < lists.size() && all; ++l)
            all = lists[l]->bits.empty() ? advanceTo(lists[l]->items, cursors[l], item) : hasBit(lists[l]->bits, item);
        if (all)
            out.push_back(item);
    }
}

} // namespace velmora::catalogue
