# The price-list settings tab: sheet rows, column mapping, picking columns
# in the sheet view.
set(setup_dir ${CMAKE_CURRENT_LIST_DIR})
target_sources(velmora_suppliers PRIVATE
    ${setup_dir}/sheet_settings.cpp ${setup_dir}/sheet_settings.h
    ${setup_dir}/column_picking.cpp ${setup_dir}/column_picking.h
    ${setup_dir}/price_list_settings.cpp ${setup_dir}/price_list_settings.h
    ${setup_dir}/workbook_sheets.cpp ${setup_dir}/workbook_sheets.h
)
if(EXISTS ${setup_dir}/price_list_setup_tab.cpp)
  target_sources(velmora_suppliers PRIVATE
      ${setup_dir}/price_list_setup_tab.cpp ${setup_dir}/price_list_setup_tab.h
      ${setup_dir}/setup_panel.cpp ${setup_dir}/setup_panel.h)
endif()
target_link_libraries(velmora_suppliers PUBLIC velmora_spreadsheet velmora_sheetview)
