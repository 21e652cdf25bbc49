# The supplier goods search, its grid and goods card, supplier selection.
set(search_dir ${CMAKE_CURRENT_LIST_DIR})
target_sources(velmora_suppliers PRIVATE
    ${search_dir}/search_conditions.cpp ${search_dir}/search_conditions.h
    ${search_dir}/goods_index.cpp ${search_dir}/goods_index.h
    ${search_dir}/goods_query.cpp ${search_dir}/goods_query.h
    ${search_dir}/supplier_goods_search.cpp ${search_dir}/supplier_goods_search.h
    ${search_dir}/row_cache.cpp ${search_dir}/row_cache.h
    ${search_dir}/goods_columns.cpp ${search_dir}/goods_columns.h
    ${search_dir}/supplier_goods_model.cpp ${search_dir}/supplier_goods_model.h
)
