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
