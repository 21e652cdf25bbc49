#pragma once

#include <QString>
#include <QStringList>

namespace velmora::search {

// Which fields a search word is looked for in.
enum class SearchField { Name, Article, All };

// The placeholder of the find box; a box holding only it counts as empty.
inline const QString kFindPlaceholder = QStringLiteral("Введите название...");

// What the find text turns into: the condition that goes between
// "WHERE (" and ")", with every word pattern as a numbered parameter
// (":w1" ... in the order of `patterns`), and the trigram index query that
// selects a superset of the matching rows.
struct WordConditions {
    QString sql;
    QStringList patterns;  // LIKE patterns, "%" + word + "%"
    // FTS5 query over the index whose rows include every match, or empty
    // when no word can be served by the index (too short, negated only).
    QString indexQuery;
    // Every trigram of that query, each a full-text query of its own: a
    // matching row holds each of them.
    QStringList indexTrigrams;
    // False when the brackets give a statement that cannot run (a group
    // that is opened and never closed): the search takes its failure path.
    bool wellFormed = true;
};

// Trims the text and turns the placeholder into an empty text.
QString normalizedFindText(const QString& boxText);

// The bracket pre-check: a text with "[" runs only when it holds no "[]"
// and as many "[" as "]".
bool bracketsAcceptable(const QString& findText);

// Separators inside article numbers match any run of characters: each of
// ". , - | / \" becomes "%".
QString separatorsToWildcards(const QString& findText);

// Builds the word conditions of a prepared (trimmed, wildcarded) text:
// words split at blanks, all of which must match, when there is no "[";
// otherwise the bracket expression ([a][b], [a]&[b], ![a], [[a]&[b]]&[c]).
// Apostrophes become the one-character wildcard "_". A negated term treats
// an empty field as not containing the word, in all fields at once.
WordConditions buildWordConditions(const QString& preparedText, SearchField field);

// The index query for one LIKE pattern in the given field: the literal runs
// of three or more characters the index serves, joined with AND; empty
// when it has none.
QString indexQueryForPattern(const QString& pattern, SearchField field);

// The trigrams of that query, each a full-text query of its own.
QStringList indexTrigramsForPattern(const QString& pattern);

} // namespace velmora::search
