# Settings every target of the project shares.
function(bytescope_defaults target)
    target_compile_features(${target} PUBLIC cxx_std_20)
    set_target_properties(${target} PROPERTIES CXX_EXTENSIONS OFF)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
endfunction()

# A static library made of one source folder. Usage:
#   bytescope_library(name SOURCES a.cpp b.cpp DEPS other Qt6::Core)
function(bytescope_library name)
    cmake_parse_arguments(L "" "" "SOURCES;DEPS" ${ARGN})
    add_library(${name} STATIC ${L_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${L_DEPS})
    bytescope_defaults(${name})
endfunction()

# A GoogleTest program registered with CTest. Widget tests run on Qt's offscreen platform.
#   bytescope_test(name SOURCES a_test.cpp DEPS lib [QT])
# QT links the support main that creates a QApplication before the tests run.
function(bytescope_test name)
    cmake_parse_arguments(T "QT" "" "SOURCES;DEPS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    if(T_QT)
        target_link_libraries(${name} PRIVATE ${T_DEPS} testsupport_qt GTest::gtest GTest::gmock)
    else()
        target_link_libraries(${name} PRIVATE ${T_DEPS} testsupport GTest::gtest_main GTest::gmock)
    endif()
    bytescope_defaults(${name})
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;BYTESCOPE_BUILD_DIR=${PROJECT_BINARY_DIR}"
                   TIMEOUT 300)
endfunction()
