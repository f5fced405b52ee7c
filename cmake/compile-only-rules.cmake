# Loaded after the platform's rules (CMAKE_USER_MAKE_RULES_OVERRIDE): a program's "link" only marks
# it built.
set(CMAKE_C_LINK_EXECUTABLE "\"${CMAKE_COMMAND}\" -E touch <TARGET>")
set(CMAKE_CXX_LINK_EXECUTABLE "\"${CMAKE_COMMAND}\" -E touch <TARGET>")
# clang's warnings come from its front end, so the check skips the optimiser.
set(CMAKE_C_FLAGS_RELEASE_INIT "-DNDEBUG")
set(CMAKE_CXX_FLAGS_RELEASE_INIT "-DNDEBUG")
