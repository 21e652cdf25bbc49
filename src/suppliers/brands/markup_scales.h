#pragma once

#include <QString>

#include <array>

#include "platform/db/connection.h"

namespace velmora::brands {

// Two markup scales of six rows: row k reads "Цена <" limit k, "Наценка"
// markup k (percent). Scale 1 is "цена СПЕЦ", scale 2 "цена ИМ". They are
// only kept: no price is computed from them.
struct MarkupScales {
    static constexpr int kScales = 2;
    static constexpr int kRows = 6;
    std::array<std::array<int, kRows>, kScales> limits{};
    std::array<std::array<int, kRows>, kScales> markups{};

    static MarkupScales defaults();
};

// The spin edit (and setting) of one value: "SpinEdit_p1_1" is the first
// limit of scale 1, "SpinEdit_n2_6" the last markup of scale 2; scale and
// row count from 1.
QString MarkupSettingName(int scale, bool limit, int row);

// The 24 values under `prefix` + their names (TypeInteger, order database):
// a supplier's name for its own scales, empty for the combined export's.
// Missing values read as the defaults; the 24 are written in one
// transaction.
MarkupScales ReadMarkupScales(db::Connection& orderDb, const QString& prefix);
void WriteMarkupScales(db::Connection& orderDb, const QString& prefix, const MarkupScales& scales);

} // namespace velmora::brands
