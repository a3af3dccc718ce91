# GoogleTest and GoogleMock built for the target from Debian's source package (googletest), with the
# names that find_package(GTest) gives on the build machine.
set(BYTESCOPE_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's source, built for cross-compiled tests")
if(NOT EXISTS ${BYTESCOPE_GTEST_SOURCE}/CMakeLists.txt)
    message(FATAL_ERROR "No GoogleTest source at ${BYTESCOPE_GTEST_SOURCE} (Debian package googletest)")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(${BYTESCOPE_GTEST_SOURCE} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
# Newer GoogleTest sources name their targets so themselves.
foreach(library gtest gtest_main gmock gmock_main)
    if(NOT TARGET GTest::${library})
        add_library(GTest::${library} ALIAS ${library})
    endif()
endforeach()
