# Authenticode signing of the programs the build makes, by tools/sign-dev.sh: with a development
# certificate that the script makes on first use (outside the repository), or, in a release build,
# with the maker's certificate named here or in the environment variables of the same names.
set(LUDORA_SIGNING_PKCS12 "" CACHE FILEPATH "the maker's code-signing PKCS#12 (certificate and key)")
set(LUDORA_SIGNING_CERT "" CACHE FILEPATH "the maker's code-signing certificate (with LUDORA_SIGNING_KEY)")
set(LUDORA_SIGNING_KEY "" CACHE FILEPATH "the private key of LUDORA_SIGNING_CERT")
set(LUDORA_SIGNING_PASSWORD_FILE "" CACHE FILEPATH "a file holding the password of the key or PKCS#12")

set(LUDORA_SIGN_SCRIPT ${CMAKE_SOURCE_DIR}/tools/sign-dev.sh)
set(LUDORA_SIGNING_ENVIRONMENT)
foreach(setting PKCS12 CERT KEY PASSWORD_FILE)
  if(LUDORA_SIGNING_${setting})
    list(APPEND LUDORA_SIGNING_ENVIRONMENT "LUDORA_SIGNING_${setting}=${LUDORA_SIGNING_${setting}}")
  endif()
endforeach()
# The command that signs the file named after it.
set(LUDORA_SIGN_COMMAND ${CMAKE_COMMAND} -E env ${LUDORA_SIGNING_ENVIRONMENT} ${LUDORA_SIGN_SCRIPT})

# Signs `target`'s program each time it is linked. A compile-only build (make check-clang) links
# nothing, so it signs nothing.
function(ludora_sign_program target)
  if(LUDORA_COMPILE_ONLY)
    return()
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${LUDORA_SIGN_COMMAND} $<TARGET_FILE:${target}>
    COMMENT "Signing ${target}" VERBATIM)
endfunction()
