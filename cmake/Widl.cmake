# Compiles IDL files with mingw-w64's widl.
set(SW_WIDL_INCLUDES -I/usr/include/wine/wine/windows -I${CMAKE_SOURCE_DIR}/outlook/idl)
# importlib("stdole2.tlb") reads Wine's copy of the architecture built for.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(SW_WIDL_ARCH --win32)
  set(SW_WIDL_LIBDIRS -L/usr/lib/i386-linux-gnu/wine/i386-windows)
else()
  set(SW_WIDL_ARCH --win64)
  set(SW_WIDL_LIBDIRS -L/usr/lib/x86_64-linux-gnu/wine/x86_64-windows)
endif()
set(SW_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)

# sw_widl(<idl> [HEADER] [IIDS] [TYPELIB] [DEPENDS <file>...]) writes
# <name>.h, <name>_i.c and <name>.tlb into ${SW_GENERATED_DIR}/<relative dir>
# and sets <NAME>_HEADER, <NAME>_IIDS and <NAME>_TLB to their paths. DEPENDS
# names the files the IDL includes.
function(sw_widl idl)
  cmake_parse_arguments(ARG "HEADER;IIDS;TYPELIB" "" "DEPENDS" ${ARGN})
  get_filename_component(name ${idl} NAME_WE)
  get_filename_component(abs ${idl} ABSOLUTE)
  file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  set(out ${SW_GENERATED_DIR}/${rel})
  file(MAKE_DIRECTORY ${out})
  string(TOUPPER ${name} var)
  set(common ${SW_WIDL_ARCH} ${SW_WIDL_INCLUDES} ${SW_WIDL_LIBDIRS})
  if(ARG_HEADER)
    add_custom_command(OUTPUT ${out}/${name}.h
      COMMAND ${SW_WIDL} ${common} -h -o ${out}/${name}.h ${abs}
      DEPENDS ${abs} ${ARG_DEPENDS} IMPLICIT_DEPENDS C ${abs} VERBATIM)
    set(${var}_HEADER ${out}/${name}.h PARENT_SCOPE)
  endif()
  if(ARG_IIDS)
    add_custom_command(OUTPUT ${out}/${name}_i.c
      COMMAND ${SW_WIDL} ${common} -u -o ${out}/${name}_i.c ${abs}
      DEPENDS ${abs} ${ARG_DEPENDS} VERBATIM)
    set(${var}_IIDS ${out}/${name}_i.c PARENT_SCOPE)
  endif()
  if(ARG_TYPELIB)
    add_custom_command(OUTPUT ${out}/${name}.tlb
      COMMAND ${SW_WIDL} ${common} -t -o ${out}/${name}.tlb ${abs}
      DEPENDS ${abs} ${ARG_DEPENDS} VERBATIM)
    set(${var}_TLB ${out}/${name}.tlb PARENT_SCOPE)
  endif()
endfunction()
