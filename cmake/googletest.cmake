# GoogleTest: the native build uses Debian's libgtest-dev; the Windows build compiles the
# sources Debian's googletest package ships, with the cross compiler.
if(WIN32)
    set(TAVRINE_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources to build for Windows")
    set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(${TAVRINE_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
    # The sources define GTest::gtest and GTest::gtest_main themselves.
else()
    find_package(GTest REQUIRED)
endif()
