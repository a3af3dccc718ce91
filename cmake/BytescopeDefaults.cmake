# Settings every target of the project shares.
function(bytescope_defaults target)
    target_compile_features(${target} PUBLIC cxx_std_20)
    set_target_properties(${target} PROPERTIES CXX_EXTENSIONS OFF)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
    if(WIN32)
        # MinGW's C runtime offers the thread-safe POSIX time functions (localtime_r) on request.
        target_compile_definitions(${target} PRIVATE _POSIX_THREAD_SAFE_FUNCTIONS=200112L)
    endif()
endfunction()

# Qt's meta-object compiler runs only for targets that use Qt, not for every target.
function(bytescope_moc target)
    set_target_properties(${target} PROPERTIES AUTOMOC ON)
endfunction()

# Publishes a library's source folder under its name below src/ (say `controls/dotmatrix`) in a
# folder of the build tree that holds nothing else, so that `#include "folder/Header.h"` works for
# the library and the targets linking it, while the folders of libraries not linked stay out of
# reach. The folder holds a symbolic link to the sources, so that edits need no copy step.
# `base` is the folder the names start from: src/ unless given.
function(bytescope_publish_folder target)
    set(base ${PROJECT_SOURCE_DIR}/src)
    if(ARGC GREATER 1)
        set(base ${ARGV1})
    endif()
    file(RELATIVE_PATH folder ${base} ${CMAKE_CURRENT_SOURCE_DIR})
    set(root ${PROJECT_BINARY_DIR}/include/${target})
    get_filename_component(parent ${root}/${folder} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${folder} SYMBOLIC)
    target_include_directories(${target} PUBLIC ${root})
endfunction()

# A static library made of one source folder. Usage:
#   bytescope_library(name SOURCES a.cpp b.cpp DEPS other Qt6::Core)
# A library that links Qt gets the meta-object compiler.
function(bytescope_library name)
    cmake_parse_arguments(L "" "" "SOURCES;DEPS" ${ARGN})
    add_library(${name} STATIC ${L_SOURCES})
    bytescope_publish_folder(${name})
    target_link_libraries(${name} PUBLIC ${L_DEPS})
    bytescope_defaults(${name})
    if(L_DEPS MATCHES "Qt6::")
        bytescope_moc(${name})
    endif()
endfunction()

# A GoogleTest program registered with CTest. Widget tests run on Qt's offscreen platform.
#   bytescope_test(name SOURCES a_test.cpp DEPS lib [QT] [DESKTOP] [LABELS l] [COST n])
# QT links the support main that creates a QApplication before the tests run, and runs the
# meta-object compiler over the test's sources.
# DESKTOP: the tests register message windows of fixed names, take named mutexes or set the server
# instance value, themselves or through programs they start. On Windows all of these belong to the
# whole desktop and registry (of the Wine prefix), so no two such tests may run at the same time
# there; on Linux each test has a private runtime folder and they run side by side.
# LABELS and COST go to every test of the program (a high cost makes a parallel run start it first).
function(bytescope_test name)
    cmake_parse_arguments(T "QT;DESKTOP" "COST" "SOURCES;DEPS;LABELS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_DEPS} testsupport GTest::gtest GTest::gmock)
    if(T_QT)
        target_link_libraries(${name} PRIVATE testsupport_qt)
        bytescope_moc(${name})
    else()
        target_link_libraries(${name} PRIVATE GTest::gtest_main)
    endif()
    bytescope_defaults(${name})
    # The properties reach the discovered tests as one flat list, so no value may be a list itself:
    # one label, one environment variable.
    list(LENGTH T_LABELS label_count)
    if(label_count GREATER 1)
        message(FATAL_ERROR "bytescope_test(${name}): one label at most")
    endif()
    set(more)
    if(T_LABELS)
        list(APPEND more LABELS ${T_LABELS})
    endif()
    if(T_COST)
        list(APPEND more COST ${T_COST})
    endif()
    if(T_DESKTOP AND WIN32)
        list(APPEND more RESOURCE_LOCK bytescope-desktop)
    endif()
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
        PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen TIMEOUT 300 ${more})
endfunction()
