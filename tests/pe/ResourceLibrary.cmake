# Builds a resource-only Windows library with the MinGW binutils: windres
# compiles the resource script, ld links the resources alone into a DLL.
#   zpm_resource_library(<dll> MACHINE x86_64|i686 SCRIPT <rc> [DEPENDS files...])
function(zpm_resource_library dll)
  cmake_parse_arguments(ARG "" "MACHINE;SCRIPT" "DEPENDS" ${ARGN})
  find_program(ZPM_WINDRES_${ARG_MACHINE} ${ARG_MACHINE}-w64-mingw32-windres REQUIRED)
  find_program(ZPM_LD_${ARG_MACHINE} ${ARG_MACHINE}-w64-mingw32-ld REQUIRED)
  add_custom_command(OUTPUT ${dll}
    # The script needs no preprocessing; windres would otherwise look for a
    # MinGW C compiler to run it.
    COMMAND ${ZPM_WINDRES_${ARG_MACHINE}} --preprocessor=cat -i ${ARG_SCRIPT} -o ${dll}.o
    COMMAND ${ZPM_LD_${ARG_MACHINE}} --dll -e 0 -o ${dll} ${dll}.o
    DEPENDS ${ARG_SCRIPT} ${ARG_DEPENDS}
    COMMENT "Linking resource library ${dll}"
    VERBATIM)
endfunction()
