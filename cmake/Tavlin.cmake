# One helper for the folders: every .cpp in a folder belongs to that folder's library,
# so adding a file never means editing a build script.
function(tavlin_glob out dir)
    file(GLOB _files CONFIGURE_DEPENDS ${dir}/*.cpp)
    set(${out} ${_files} PARENT_SCOPE)
endfunction()

# An engine layer: an object library of one folder, Qt-free, warnings as errors.
function(tavlin_engine_layer name dir)
    tavlin_glob(_src ${dir})
    if(NOT _src)
        set(_src ${PROJECT_SOURCE_DIR}/cmake/empty.cpp)
    endif()
    add_library(${name} OBJECT ${_src})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_compile_options(${name} PRIVATE ${TAVLIN_WARNINGS})
    set_target_properties(${name} PROPERTIES POSITION_INDEPENDENT_CODE ON)
endfunction()

# Tests run without a display. The sanitizer options (leak suppressions for system
# libraries, halting on the first fault) come from scripts/test.sh, which runs ctest.
set(TAVLIN_TEST_ENV "QT_QPA_PLATFORM=offscreen" CACHE INTERNAL "")

# A GoogleTest executable made of every .cpp in tests/<dir>, registered with CTest.
function(tavlin_test_suite name dir)
    tavlin_glob(_src ${dir})
    if(NOT _src)
        return()
    endif()
    add_executable(${name} ${_src})
    target_link_libraries(${name} PRIVATE ${ARGN} GTest::gtest GTest::gtest_main GTest::gmock)
    target_compile_options(${name} PRIVATE ${TAVLIN_WARNINGS})
    target_compile_definitions(${name} PRIVATE TAVLIN_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data"
                                               TAVLIN_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
        PROPERTIES ENVIRONMENT "${TAVLIN_TEST_ENV}")
endfunction()

# A static library of one folder's sources (outside the engine), warnings as errors.
function(tavlin_library name dir)
    tavlin_glob(_src ${dir})
    if(NOT _src)
        set(_src ${PROJECT_SOURCE_DIR}/cmake/empty.cpp)
    endif()
    add_library(${name} STATIC ${_src})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_compile_options(${name} PRIVATE ${TAVLIN_WARNINGS})
endfunction()
