# Currency table, rate feeds, rate refresh, re-pricing and the currency panel.
target_sources(velmora_suppliers PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/currency_table.cpp ${CMAKE_CURRENT_LIST_DIR}/currency_table.h
    ${CMAKE_CURRENT_LIST_DIR}/rate_feed.cpp ${CMAKE_CURRENT_LIST_DIR}/rate_feed.h
    ${CMAKE_CURRENT_LIST_DIR}/rate_settings.cpp ${CMAKE_CURRENT_LIST_DIR}/rate_settings.h
    ${CMAKE_CURRENT_LIST_DIR}/rate_refresh.cpp ${CMAKE_CURRENT_LIST_DIR}/rate_refresh.h
    ${CMAKE_CURRENT_LIST_DIR}/rate_entry.cpp ${CMAKE_CURRENT_LIST_DIR}/rate_entry.h
    ${CMAKE_CURRENT_LIST_DIR}/reprice.cpp ${CMAKE_CURRENT_LIST_DIR}/reprice.h
    ${CMAKE_CURRENT_LIST_DIR}/currency_panel.cpp ${CMAKE_CURRENT_LIST_DIR}/currency_panel.h
)
