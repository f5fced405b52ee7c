# The second compiler: clang for 32-bit Windows against the same MinGW-w64 headers and libraries
# as cmake/mingw-i686.cmake (posix thread model). It compiles every source; nothing is linked, so
# the build takes the objects as far as the archives and stops (make check-clang).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(TOOLCHAIN_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${TOOLCHAIN_PREFIX})
set(CMAKE_CXX_COMPILER_TARGET ${TOOLCHAIN_PREFIX})
set(CMAKE_RC_COMPILER ${TOOLCHAIN_PREFIX}-windres)
set(CMAKE_AR ${TOOLCHAIN_PREFIX}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${TOOLCHAIN_PREFIX}-ranlib CACHE FILEPATH "")

# clang does not recognise Debian's "<version>-posix" folder of the MinGW GCC, so it is given the
# C++ library of the posix GCC (the newest there is) by hand.
file(GLOB MINGW_GCC_DIRS LIST_DIRECTORIES true /usr/lib/gcc/${TOOLCHAIN_PREFIX}/*-posix)
list(SORT MINGW_GCC_DIRS COMPARE NATURAL)
list(POP_BACK MINGW_GCC_DIRS MINGW_GCC_DIR)
set(MINGW_CXX_INCLUDES
  ${MINGW_GCC_DIR}/include/c++ ${MINGW_GCC_DIR}/include/c++/${TOOLCHAIN_PREFIX} ${MINGW_GCC_DIR}/include/c++/backward)
list(JOIN MINGW_CXX_INCLUDES " -isystem " isystem_flags)
set(CMAKE_CXX_FLAGS_INIT "-nostdinc++ -isystem ${isystem_flags}")

set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Compile only: the compiler checks build a library, and programs are not linked.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
set(CMAKE_USER_MAKE_RULES_OVERRIDE ${CMAKE_CURRENT_LIST_DIR}/compile-only-rules.cmake)
set(LUDORA_COMPILE_ONLY ON)
