# Third-party code is installed on the machine, never kept in the repository.

# Fetches Debian's source package PACKAGE, patches applied, into DIR once (until FILE is there in
# it); a failed fetch stops the configuration.
function(fetch_debian_source package dir file)
  if(EXISTS ${dir}/${file})
    return()
  endif()
  execute_process(
    COMMAND ${CMAKE_SOURCE_DIR}/tools/fetch-debian-source.sh ${package} ${dir}
    RESULT_VARIABLE fetch_result)
  if(NOT fetch_result EQUAL 0)
    message(FATAL_ERROR "could not fetch the Debian source package ${package}")
  endif()
endfunction()

# TinyXML, built here as a static library.
set(TINYXML_DIR ${CMAKE_BINARY_DIR}/_deps/tinyxml)
fetch_debian_source(tinyxml ${TINYXML_DIR} tinyxml.cpp)
# Built without the STL mode that Debian's packaging enforces: that mode brings in iostreams, whose
# locale set-up would run at every start and whose code would double the program's size.
file(STRINGS ${TINYXML_DIR}/tinyxml.h tinyxml_forces_stl REGEX "#define TIXML_USE_STL")
if(tinyxml_forces_stl)
  execute_process(COMMAND patch -R -p1 -s -i debian/patches/enforce-use-stl.patch
    WORKING_DIRECTORY ${TINYXML_DIR} RESULT_VARIABLE unpatch_result)
  if(NOT unpatch_result EQUAL 0)
    message(FATAL_ERROR "could not take TinyXML out of its STL mode")
  endif()
endif()
add_library(tinyxml STATIC
  ${TINYXML_DIR}/tinyxml.cpp ${TINYXML_DIR}/tinyxmlparser.cpp
  ${TINYXML_DIR}/tinyxmlerror.cpp ${TINYXML_DIR}/tinystr.cpp)
target_include_directories(tinyxml SYSTEM PUBLIC ${TINYXML_DIR})
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

# libspng, built here as a static library on the MinGW zlib. It decodes the skin's large PNG
# pictures a row at a time straight into their bitmaps.
set(SPNG_DIR ${CMAKE_BINARY_DIR}/_deps/libspng)
fetch_debian_source(libspng ${SPNG_DIR} spng/spng.c)
add_library(spng STATIC ${SPNG_DIR}/spng/spng.c)
target_include_directories(spng SYSTEM PUBLIC ${SPNG_DIR}/spng)
target_compile_definitions(spng PUBLIC SPNG_STATIC PRIVATE SPNG_DISABLE_OPT)
target_compile_options(spng PRIVATE -w -O2)
target_link_libraries(spng PUBLIC ZLIB::ZLIB)
