# GoogleTest and GoogleMock built for the target from Debian's source package (googletest), with the
# names that find_package(GTest) gives on the build machine.
set(BYTESCOPE_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's source, built for cross-compiled tests")
if(NOT EXISTS ${BYTESCOPE_GTEST_SOURCE}/CMakeLists.txt)
    message(FATAL_ERROR "No GoogleTest source at ${BYTESCOPE_GTEST_SOURCE} (Debian package googletest)")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(${BYTESCOPE_GTEST_SOURCE} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
add_library(GTest::gtest ALIAS gtest)
add_library(GTest::gtest_main ALIAS gtest_main)
add_library(GTest::gmock ALIAS gmock)
add_library(GTest::gmock_main ALIAS gmock_main)
