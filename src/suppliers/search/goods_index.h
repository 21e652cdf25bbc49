#pragma once

// The search index belongs to the price database's schema; the search
// uses it under its own namespace.
#include "storage/goods_search_index.h"

namespace velmora::search {

using velmora::dropSupplierGoodsIndex;
using velmora::catchUpSupplierGoodsIndex;
using velmora::ensureSupplierGoodsIndex;
using velmora::kGoodsTextIndex;
using velmora::supplierGoodsIndexExists;
using velmora::supplierGoodsIndexPendingAbove;
using velmora::SupplierGoodsBulkInsert;

} // namespace velmora::search
