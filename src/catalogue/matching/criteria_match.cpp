#include "criteria_match.h"

#include <algorithm>
#include <cstring>

namespace velmora::catalogue {
namespace {

// A 64-bit sketch of the bytes a text holds: a word can stand in a name
// only if the name's sketch has every bit of the word's.
uint64_t byteSketch(std::string_view text)
{
    uint64_t sketch = 0;
    for (const char c : text)
        sketch |= uint64_t(1) << (static_cast<unsigned char>(c) & 63);
    return sketch;
}

} // namespace

CriteriaMatcher::Word::Word(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    const std::string_view view(utf8.constData(), size_t(utf8.size()));
    folded = db::foldUtf8(view);
    if (folded.find_first_of("%_") != std::string::npos) {
        pattern.emplace("%" + folded + "%");
        std::string literal = folded;
        std::erase_if(literal, [](char c) { return c == '%' || c == '_'; });
        sketch = byteSketch(literal);
        return;
    }
    sketch = byteSketch(folded);
    // Words are at most a few dozen characters: a shift fits in a byte.
    const size_t length = std::min<size_t>(folded.size(), 255);
    shift.fill(static_cast<unsigned char>(length));
    for (size_t i = 0; i + 1 < length; ++i)
        shift[static_cast<unsigned char>(folded[i])] = static_cast<unsigned char>(length - 1 - i);
}

bool CriteriaMatcher::Word::containedIn(std::string_view foldedName) const
{
    if (pattern)
        return pattern->matches(foldedName);
    // Horspool's search: a search for the first byte would stop at every
    // lead byte of a Cyrillic text.
    const size_t n = folded.size();
    if (n > 255)
        return foldedName.find(folded) != std::string_view::npos;
    const char* text = foldedName.data();
    const auto last = static_cast<unsigned char>(folded[n - 1]);
    for (size_t at = 0; at + n <= foldedName.size();) {
        const auto byte = static_cast<unsigned char>(text[at + n - 1]);
        if (byte == last && std::memcmp(text + at, folded.data(), n - 1) == 0)
            return true;
        at += shift[byte];
    }
    return false;
}

// The words a row is tested by, cheapest and most telling first: plain
// words before wildcard patterns, longer words (rarer) before shorter.
void CriteriaMatcher::orderForTesting(std::vector<Word>& row)
{
    std::stable_sort(row.begin(), row.end(), [](const Word& a, const Word& b) {
        if (a.pattern.has_value() != b.pattern.has_value())
            return !a.pattern.has_value();
        return a.folded.size() > b.folded.size();
    });
}

CriteriaMatcher::CriteriaMatcher(const QList<CriteriaWords>& rows, const QStringList& exclusions)
{
    // No criteria row stands for one row of empty words.
    everyNamePasses_ = rows.isEmpty();
    for (const CriteriaWords& words : rows) {
        std::vector<Word> row;
        for (const QString& word : words)
            if (!word.isEmpty())
                row.emplace_back(word);
        if (row.empty()) {
            everyNamePasses_ = true;
        } else {
            orderForTesting(row);
            uint64_t sketch = 0;
            for (const Word& word : row)
                sketch |= word.sketch;
            rows_.push_back({std::move(row), sketch});
        }
    }
    if (everyNamePasses_)
        rows_.clear();
    for (const QString& word : exclusions)
        if (!word.isEmpty())
            exclusions_.emplace_back(word);
}

bool CriteriaMatcher::matches(std::string_view utf8Name) const
{
    thread_local std::string buffer;
    return matchesFolded(foldName(utf8Name, buffer));
}

bool CriteriaMatcher::matches(const QString& name) const
{
    if (name.isNull())
        return false;
    const QByteArray utf8 = name.toUtf8();
    return matches(std::string_view(utf8.constData(), size_t(utf8.size())));
}

bool CriteriaMatcher::matchesFolded(std::string_view foldedName) const
{
    bool passes = everyNamePasses_;
    const uint64_t nameSketch = rows_.empty() ? 0 : byteSketch(foldedName);
    for (const Row& row : rows_) {
        if ((nameSketch & row.sketch) != row.sketch)
            continue; // a byte of the row stands nowhere in the name
        passes = true;
        for (const Word& word : row.words) {
            if (!word.containedIn(foldedName)) {
                passes = false;
                break;
            }
        }
        if (passes)
            break;
    }
    if (!passes)
        return false;
    for (const Word& exclusion : exclusions_)
        if (exclusion.containedIn(foldedName))
            return false;
    return true;
}

bool CriteriaMatcher::matchesEveryName() const { return everyNamePasses_ && exclusions_.empty(); }

} // namespace velmora::catalogue
