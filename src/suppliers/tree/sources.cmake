# The supplier list and tree: price lists, their contact cards, the load
# queue's names, and the tree widget.
set(tree_dir ${CMAKE_CURRENT_LIST_DIR})
target_sources(velmora_suppliers PRIVATE
    ${tree_dir}/price_lists.cpp ${tree_dir}/price_lists.h
    ${tree_dir}/supplier_commands.cpp ${tree_dir}/supplier_commands.h
    ${tree_dir}/rename_price_list.cpp ${tree_dir}/rename_price_list.h
    ${tree_dir}/contact_card.cpp ${tree_dir}/contact_card.h
    ${tree_dir}/supplier_address.cpp ${tree_dir}/supplier_address.h
    ${tree_dir}/load_queue.cpp ${tree_dir}/load_queue.h
)
if(EXISTS ${tree_dir}/supplier_tree.cpp)
  target_sources(velmora_suppliers PRIVATE ${tree_dir}/supplier_tree.cpp ${tree_dir}/supplier_tree.h)
endif()
