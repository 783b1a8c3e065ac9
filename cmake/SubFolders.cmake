# ch_add_subfolders(<glob>): add_subdirectory for every folder matched by <glob> (a pattern of
# folders, such as "platform/*") that has a CMakeLists.txt. New folders are picked up by the
# next build, without configuring by hand.
function(ch_add_subfolders pattern)
    file(GLOB lists CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${pattern}/CMakeLists.txt)
    list(SORT lists)
    foreach(list ${lists})
        get_filename_component(dir ${list} DIRECTORY)
        add_subdirectory(${dir})
    endforeach()
endfunction()
