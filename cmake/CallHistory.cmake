# Helpers shared by every folder of the project.

# ch_library(<target> [EXCLUDE file...] [LINKS lib...])
# One static library made of every .cpp/.h file in the calling folder; the folder is its public
# include path, so code includes "classname.h" of any library it links.
function(ch_library target)
    cmake_parse_arguments(A "" "" "EXCLUDE;LINKS" ${ARGN})
    file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    foreach(ex ${A_EXCLUDE})
        list(REMOVE_ITEM srcs ${CMAKE_CURRENT_SOURCE_DIR}/${ex})
    endforeach()
    add_library(${target} STATIC ${srcs})
    target_include_directories(${target} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(${target} PUBLIC ${A_LINKS})
    # Automoc reruns only for the files its last run saw: a header added to the folder later
    # would never get its moc file in an existing build directory. When the folder's files
    # change, its stamp goes, so that the next build runs it again.
    string(MD5 files "${srcs}")
    if(DEFINED CH_FILES_${target} AND NOT CH_FILES_${target} STREQUAL files)
        file(REMOVE ${CMAKE_CURRENT_BINARY_DIR}/${target}_autogen/timestamp)
    endif()
    set(CH_FILES_${target} ${files} CACHE INTERNAL "")
endfunction()

# ch_tests([LINKS lib...] [HELPERS file...])
# One test executable per tst_*.cpp file of the calling folder, named after the file. HELPERS are
# extra sources compiled into every test of the folder.
function(ch_tests)
    cmake_parse_arguments(A "" "" "LINKS;HELPERS" ${ARGN})
    file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tst_*.cpp)
    foreach(src ${tests})
        get_filename_component(name ${src} NAME_WE)
        add_executable(${name} ${src} ${A_HELPERS})
        target_link_libraries(${name} PRIVATE Qt5::Test ${A_LINKS})
        target_compile_definitions(${name} PRIVATE
            CH_TEST_DATA_DIR="${CMAKE_SOURCE_DIR}/tests/data"
            CH_BINARY_DIR="${CMAKE_BINARY_DIR}"
            CH_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
        add_test(NAME ${name} COMMAND ${CMAKE_SOURCE_DIR}/tests/support/isolated
                 $<TARGET_FILE:${name}>)
        # Sanitizer builds run several times slower.
        if(CH_SANITIZE)
            set_tests_properties(${name} PROPERTIES TIMEOUT 1500)
        else()
            set_tests_properties(${name} PROPERTIES TIMEOUT 600)
        endif()
    endforeach()
endfunction()
