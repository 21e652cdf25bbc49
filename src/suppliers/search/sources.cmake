# The supplier goods search, its grid and goods card, supplier selection.
set(velmora_search_dir ${CMAKE_CURRENT_LIST_DIR})
target_sources(velmora_suppliers PRIVATE
    ${velmora_search_dir}/search_conditions.cpp ${velmora_search_dir}/search_conditions.h
    ${velmora_search_dir}/goods_index.h
    ${velmora_search_dir}/goods_query.cpp ${velmora_search_dir}/goods_query.h
    ${velmora_search_dir}/supplier_goods_search.cpp ${velmora_search_dir}/supplier_goods_search.h
    ${velmora_search_dir}/row_cache.cpp ${velmora_search_dir}/row_cache.h
    ${velmora_search_dir}/goods_columns.cpp ${velmora_search_dir}/goods_columns.h
    ${velmora_search_dir}/supplier_goods_model.cpp ${velmora_search_dir}/supplier_goods_model.h
    ${velmora_search_dir}/goods_search_controller.cpp ${velmora_search_dir}/goods_search_controller.h
    ${velmora_search_dir}/goods_card_data.cpp ${velmora_search_dir}/goods_card_data.h
    ${velmora_search_dir}/supplier_selection.cpp ${velmora_search_dir}/supplier_selection.h
    ${velmora_search_dir}/supplier_search_bar.cpp ${velmora_search_dir}/supplier_search_bar.h
    ${velmora_search_dir}/goods_grid.cpp ${velmora_search_dir}/goods_grid.h
    ${velmora_search_dir}/goods_card.cpp ${velmora_search_dir}/goods_card.h
    ${velmora_search_dir}/supplier_price_chart.cpp ${velmora_search_dir}/supplier_price_chart.h
    ${velmora_search_dir}/supplier_selection_panel.cpp ${velmora_search_dir}/supplier_selection_panel.h
    ${velmora_search_dir}/supplier_goods_panel.cpp ${velmora_search_dir}/supplier_goods_panel.h
    ${velmora_search_dir}/column_widths.cpp ${velmora_search_dir}/column_widths.h
    ${velmora_search_dir}/price_history_popup.cpp ${velmora_search_dir}/price_history_popup.h
    ${velmora_search_dir}/column_name_dialog.cpp ${velmora_search_dir}/column_name_dialog.h
)
target_link_libraries(velmora_suppliers PUBLIC Qt6::Charts)
