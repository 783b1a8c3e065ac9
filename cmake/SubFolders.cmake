# ch_add_subfolders(<glob> [EXCLUDE <glob>] [COMPONENT <name>]): add_subdirectory for every
# folder matched by <glob> (a pattern of folders, such as "platform/*") that has a CMakeLists.txt,
# except those matched by EXCLUDE. New folders are picked up by the next build, without
# configuring by hand. COMPONENT is the install component of the install rules in those folders
# that name none (the package they go into, see cmake/Package.cmake).
function(ch_add_subfolders pattern)
    cmake_parse_arguments(A "" "EXCLUDE;COMPONENT" "" ${ARGN})
    file(GLOB lists CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${pattern}/CMakeLists.txt)
    if(A_EXCLUDE)
        file(GLOB excluded CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${A_EXCLUDE}/CMakeLists.txt)
        if(excluded)
            list(REMOVE_ITEM lists ${excluded})
        endif()
    endif()
    if(A_COMPONENT)
        set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME ${A_COMPONENT})
    endif()
    list(SORT lists)
    foreach(list ${lists})
        get_filename_component(dir ${list} DIRECTORY)
        add_subdirectory(${dir})
    endforeach()
endfunction()
