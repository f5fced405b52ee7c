# Third-party code is installed on the machine, never kept in the repository.

# TinyXML: Debian's source package with its patches applied, built here as a static library.
set(TINYXML_DIR ${CMAKE_BINARY_DIR}/_deps/tinyxml)
if(NOT EXISTS ${TINYXML_DIR}/tinyxml.cpp)
  execute_process(
    COMMAND ${CMAKE_SOURCE_DIR}/tools/fetch-debian-source.sh tinyxml ${TINYXML_DIR}
    RESULT_VARIABLE fetch_result)
  if(NOT fetch_result EQUAL 0)
    message(FATAL_ERROR "could not fetch TinyXML's Debian source package")
  endif()
endif()
add_library(tinyxml STATIC
  ${TINYXML_DIR}/tinyxml.cpp ${TINYXML_DIR}/tinyxmlparser.cpp
  ${TINYXML_DIR}/tinyxmlerror.cpp ${TINYXML_DIR}/tinystr.cpp)
target_include_directories(tinyxml SYSTEM PUBLIC ${TINYXML_DIR})
target_compile_definitions(tinyxml PUBLIC TIXML_USE_STL)
target_compile_options(tinyxml PRIVATE -w)

# zlib from the MinGW-w64 package.
set(ZLIB_USE_STATIC_LIBS ON)
find_package(ZLIB REQUIRED)

# stb_image: only the stb folder of the host's headers, never the whole tree.
add_library(stb_headers INTERFACE)
target_include_directories(stb_headers SYSTEM INTERFACE /usr/include/stb)

# GoogleTest from its source package, built for the target.
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/_deps/googletest EXCLUDE_FROM_ALL SYSTEM)

# libspng: Debian's source package, built here as a static library on the MinGW zlib. It decodes
# the skin's PNG pictures a row at a time straight into their bitmaps.
set(SPNG_DIR ${CMAKE_BINARY_DIR}/_deps/libspng)
if(NOT EXISTS ${SPNG_DIR}/spng/spng.c)
  execute_process(
    COMMAND ${CMAKE_SOURCE_DIR}/tools/fetch-debian-source.sh libspng ${SPNG_DIR}
    RESULT_VARIABLE fetch_result)
  if(NOT fetch_result EQUAL 0)
    message(FATAL_ERROR "could not fetch libspng's Debian source package")
  endif()
endif()
add_library(spng STATIC ${SPNG_DIR}/spng/spng.c)
target_include_directories(spng SYSTEM PUBLIC ${SPNG_DIR}/spng)
target_compile_definitions(spng PUBLIC SPNG_STATIC PRIVATE SPNG_DISABLE_OPT)
target_compile_options(spng PRIVATE -w -O2)
target_link_libraries(spng PUBLIC ZLIB::ZLIB)
