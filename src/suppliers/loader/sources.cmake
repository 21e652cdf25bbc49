# The price-list loader, the load queue and its worker thread.
target_sources(velmora_suppliers PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/file_stamp.cpp ${CMAKE_CURRENT_LIST_DIR}/file_stamp.h
    ${CMAKE_CURRENT_LIST_DIR}/load_progress.h
    ${CMAKE_CURRENT_LIST_DIR}/load_queue_panel.cpp ${CMAKE_CURRENT_LIST_DIR}/load_queue_panel.h
    ${CMAKE_CURRENT_LIST_DIR}/load_queue_run.cpp ${CMAKE_CURRENT_LIST_DIR}/load_queue_run.h
    ${CMAKE_CURRENT_LIST_DIR}/offer_pipe.h
    ${CMAKE_CURRENT_LIST_DIR}/offer_store.h
    ${CMAKE_CURRENT_LIST_DIR}/price_list_load_thread.cpp ${CMAKE_CURRENT_LIST_DIR}/price_list_load_thread.h
    ${CMAKE_CURRENT_LIST_DIR}/price_list_loader.cpp ${CMAKE_CURRENT_LIST_DIR}/price_list_loader.h
    ${CMAKE_CURRENT_LIST_DIR}/price_list_setup.cpp ${CMAKE_CURRENT_LIST_DIR}/price_list_setup.h
    ${CMAKE_CURRENT_LIST_DIR}/price_text.cpp ${CMAKE_CURRENT_LIST_DIR}/price_text.h
    ${CMAKE_CURRENT_LIST_DIR}/sheet_columns.cpp ${CMAKE_CURRENT_LIST_DIR}/sheet_columns.h
    ${CMAKE_CURRENT_LIST_DIR}/sheet_parser.cpp ${CMAKE_CURRENT_LIST_DIR}/sheet_parser.h
    ${CMAKE_CURRENT_LIST_DIR}/updated_price_lists.cpp ${CMAKE_CURRENT_LIST_DIR}/updated_price_lists.h
)
if(TARGET velmora_spreadsheet)
  target_link_libraries(velmora_suppliers PUBLIC velmora_spreadsheet)
endif()

# Tests and the benchmark of the loader build only when this folder does.
set_property(GLOBAL PROPERTY VELMORA_SUPPLIERS_HAS_LOADER ON)
