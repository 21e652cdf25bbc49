# Supplier price-list exports: workbooks from the PriceExcel template, CSV.
target_sources(velmora_suppliers PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/panel_export.cpp ${CMAKE_CURRENT_LIST_DIR}/panel_export.h
    ${CMAKE_CURRENT_LIST_DIR}/price_list_export.cpp ${CMAKE_CURRENT_LIST_DIR}/price_list_export.h
    ${CMAKE_CURRENT_LIST_DIR}/price_save_panel.cpp ${CMAKE_CURRENT_LIST_DIR}/price_save_panel.h
)
if(TARGET velmora_spreadsheet)
  target_link_libraries(velmora_suppliers PUBLIC velmora_spreadsheet)
endif()

# The template goes into the program folder beside the executable.
add_custom_command(OUTPUT ${VELMORA_PROGRAM_DIR}/PriceExcel.xlsx
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_CURRENT_LIST_DIR}/templates/PriceExcel.xlsx
          ${VELMORA_PROGRAM_DIR}/PriceExcel.xlsx
  DEPENDS ${CMAKE_CURRENT_LIST_DIR}/templates/PriceExcel.xlsx
  COMMENT "Template PriceExcel.xlsx")
add_custom_target(velmora_price_export_template ALL DEPENDS ${VELMORA_PROGRAM_DIR}/PriceExcel.xlsx)
add_dependencies(velmora_suppliers velmora_price_export_template)
