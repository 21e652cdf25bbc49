#pragma once

#include "goods_list.h"

#include "platform/db/connection.h"

#include <optional>
#include <vector>

namespace velmora::catalogue {

// The conditions of the selected-goods viewer (Form_ViewTovarSel); each
// one left empty takes no part, each one set selects the goods that meet
// it. A good without a row of export details counts as having an empty
// URL and picture link.
struct GoodsSelection {
    std::optional<bool> priceAboveZero; // false: "цена равна нулю", true: "цена больше нуля"
    std::optional<bool> hasArticle;     // false: "артикул отсутствует", true: "есть артикул на товар"
    std::optional<bool> superPrice;     // true: "товар с СуперЦеной", false: "СуперЦена отсутствует"
    std::optional<bool> hasUrl;         // false: "поле пустое", true: "есть URL на товар"
    std::optional<bool> hasPicture;     // false: "поле пустое", true: "есть ссылка на картинку"
};

// The viewer's list before any choice: the goods with a price.
GoodsSelection initialGoodsSelection();

// The goods meeting every condition set, ordered by group, name and code
// (price_main joined to its details with a LEFT JOIN, so goods without
// details stay in). Throws db::DbError.
std::vector<GoodsListEntry> selectGoods(db::Connection& priceDb, const GoodsSelection& selection);

} // namespace velmora::catalogue
