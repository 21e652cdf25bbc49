#pragma once

#include "platform/db/text_functions.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::catalogue {

// The five words of one criteria row (krit.Krit_1 ... Krit_5).
using CriteriaWords = std::array<QString, 5>;

// The matching rule of supplier items to an own good, shared by the
// criteria search of one good and the automatic matching of many.
//
// An item matches when its name (price_all.Tovar, never the article)
// contains all five words of at least one of the good's criteria rows and
// none of the good's exclusions. A word is contained anywhere in the name,
// in any order, inside longer words too; letter case is ignored (Cyrillic
// as Latin, exactly as the database's LIKE folds it). Words are taken as
// typed: a blank before or after a word must stand in the name as well
// (" RAM" needs a blank before "ram"). Inside a word "%" stands for any run
// of characters and "_" for any one character, as in LIKE '%word%'. An
// empty word matches every name; a good without any criteria row lists
// every name (less its exclusions); an empty exclusion excludes nothing. A
// null name never matches.
//
// Built once per good, the matcher tests names one by one without touching
// the database and is safe to share between threads. For a scan over many
// goods, names can be folded once with foldName() and tested with
// matchesFolded(); matches() folds the name itself. The results are the
// same either way, and the same as the LIKE statement of the criteria
// search would give.
class CriteriaMatcher {
public:
    CriteriaMatcher(const QList<CriteriaWords>& rows, const QStringList& exclusions);

    // A name as the database stores it (UTF-8).
    bool matches(std::string_view utf8Name) const;
    bool matches(const QString& name) const;
    // A name folded by foldName().
    bool matchesFolded(std::string_view foldedName) const;

    // The folded form of a UTF-8 name, kept in `buffer` (see db::foldUtf8).
    static std::string_view foldName(std::string_view utf8Name, std::string& buffer)
    {
        return db::foldUtf8(utf8Name, buffer);
    }

    // True when every name matches (some row of empty words, or no row at
    // all, and no exclusion).
    bool matchesEveryName() const;

private:
    // A word folded once; one with "%" or "_" is tested as a LIKE pattern.
    struct Word {
        explicit Word(const QString& text);
        bool containedIn(std::string_view foldedName) const;

        std::string folded;
        std::optional<db::LikePattern> pattern; // for a word with "%" or "_"
        // Horspool's shifts: how far the window moves on past a last byte.
        std::array<unsigned char, 256> shift{};
        uint64_t sketch = 0; // the bytes the word holds (its literal ones)
    };
    struct Row {
        std::vector<Word> words; // the row's non-empty words
        uint64_t sketch = 0;     // the bytes of all of them
    };
    static void orderForTesting(std::vector<Word>& row);

    std::vector<Row> rows_; // empty when every name passes the criteria
    std::vector<Word> exclusions_;
    bool everyNamePasses_ = false;
};

} // namespace velmora::catalogue
