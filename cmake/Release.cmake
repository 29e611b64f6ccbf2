# What a release build does to the shipped DLL: its debug information moves
# into a separate file beside the packages, the DLL keeps only a link to it,
# and, when a certificate is given, it is signed before it is packaged.
#
# Signing: configure with SW_SIGN_PFX (a PKCS#12 file) or SW_SIGN_PKCS11_MODULE
# (a PKCS#11 token; with SW_SIGN_PKCS11_KEY and SW_SIGN_CERT), as -D options
# or environment variables, and optionally SW_SIGN_TIMESTAMP_URL. The
# password (SW_SIGN_PASSWORD or SW_SIGN_PASSWORD_FILE) is read from the
# environment at build time only and never stored in the cache.
# scripts/sign.sh does the signing.

foreach(var SW_SIGN_PFX SW_SIGN_PKCS11_MODULE SW_SIGN_PKCS11_KEY SW_SIGN_CERT SW_SIGN_TIMESTAMP_URL)
  if(NOT DEFINED ${var} AND DEFINED ENV{${var}})
    set(${var} "$ENV{${var}}" CACHE STRING "" FORCE)
  endif()
endforeach()
if(SW_SIGN_PFX OR SW_SIGN_PKCS11_MODULE)
  find_program(SW_OSSLSIGNCODE osslsigncode REQUIRED)
  set(SW_SIGN ON)
  message(STATUS "Signing Spamwarden.dll and the packages")
else()
  set(SW_SIGN OFF)
  message(STATUS "No certificate given (SW_SIGN_PFX): Spamwarden.dll and the packages are not signed")
endif()

# The command that signs `file` in place, empty when nothing is signed.
function(sw_sign_command file var)
  if(SW_SIGN)
    set(${var}
        COMMAND ${CMAKE_COMMAND} -E env SW_SIGN_PFX=${SW_SIGN_PFX}
                SW_SIGN_PKCS11_MODULE=${SW_SIGN_PKCS11_MODULE} SW_SIGN_PKCS11_KEY=${SW_SIGN_PKCS11_KEY}
                SW_SIGN_CERT=${SW_SIGN_CERT} SW_SIGN_TIMESTAMP_URL=${SW_SIGN_TIMESTAMP_URL}
                ${CMAKE_SOURCE_DIR}/scripts/sign.sh ${file}
        PARENT_SCOPE)
  else()
    set(${var} "" PARENT_SCOPE)
  endif()
endfunction()

# The debug information file of the shipped DLL, beside the packages.
set(SW_DEBUG_INFO_FILE
    ${CMAKE_BINARY_DIR}/dist/Spamwarden-${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}-${SW_ARCH}.dll.debug)

# sw_release_dll(<target>): after each link of a release build, keeps the
# DLL's debug information in SW_DEBUG_INFO_FILE, strips the DLL and links it
# to that file (gdb and crash tools find it by that link), then signs it.
function(sw_release_dll target)
  sw_sign_command($<TARGET_FILE:${target}> sign)
  if(CMAKE_BUILD_TYPE STREQUAL "Release")
    get_filename_component(debug_dir ${SW_DEBUG_INFO_FILE} DIRECTORY)
    get_filename_component(debug_name ${SW_DEBUG_INFO_FILE} NAME)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_COMMAND} -E make_directory ${debug_dir}
      COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${target}> ${SW_DEBUG_INFO_FILE}
      COMMAND ${CMAKE_OBJCOPY} --strip-all $<TARGET_FILE:${target}>
      # The link names the file only; the tools look for it beside the DLL
      # or in their debug folders.
      COMMAND ${CMAKE_COMMAND} -E chdir ${debug_dir}
              ${CMAKE_OBJCOPY} --add-gnu-debuglink=${debug_name} $<TARGET_FILE:${target}>
      ${sign}
      COMMENT "Stripping Spamwarden.dll; debug information in ${debug_name}"
      VERBATIM)
  elseif(sign)
    add_custom_command(TARGET ${target} POST_BUILD ${sign} VERBATIM)
  endif()
endfunction()
