# Fails when the launcher reaches past the component's public surface, or
# the shared library shows more than that surface.  Run as a test:
#   cmake -DSOURCE_DIR=<project> -DLIBRARY=<libpezolva.so> -P cmake/check_public.cmake
# 1. A file under apps/pezolva includes only public headers ("pezolva/...") and
#    its own folder's headers.
# 2. Every symbol libpezolva.so defines for others is one of the public
#    headers' (mnt, erro, pezolva::operacoes, pezolva::demonstracao,
#    pezolva::verificacao).
set(wrong "")
# (apps/jetcomp is a tool of its own over the engine, not a host.)
file(GLOB_RECURSE files RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/apps/pezolva/*.h" "${SOURCE_DIR}/apps/pezolva/*.cpp")
foreach(f IN LISTS files)
  file(STRINGS "${SOURCE_DIR}/${f}" includes REGEX "^#include \"[^\"]*/")
  foreach(line IN LISTS includes)
    if(NOT line MATCHES "^#include \"pezolva/")
      string(APPEND wrong "\n  ${f} includes an internal header: ${line}")
    endif()
  endforeach()
endforeach()

execute_process(COMMAND nm -DC --defined-only "${LIBRARY}" OUTPUT_VARIABLE symbols RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "nm could not read ${LIBRARY}")
endif()
string(REPLACE "\n" ";" lines "${symbols}")
set(public 0)
foreach(line IN LISTS lines)
  # "address type name"; the linker's own markers (_end, _edata...) are not ours.
  # A lower-case type other than u, v, w is a local symbol: the dynamic
  # table may still list it (the version script made it local), but no
  # host can bind to it.
  if(NOT line MATCHES "^[0-9a-f]+ [A-Zuvw] (.*)$")
    continue()
  endif()
  set(name "${CMAKE_MATCH_1}")
  if(name MATCHES "^(_edata|_end|__bss_start)$")
    continue()
  endif()
  if(name MATCHES "^pezolva::(mnt|operacoes|demonstracao|verificacao)::" OR
     name MATCHES "^(typeinfo|typeinfo name|vtable) for pezolva::erro$")
    math(EXPR public "${public} + 1")
  else()
    string(APPEND wrong "\n  ${LIBRARY} exports ${name}")
  endif()
endforeach()
if(public EQUAL 0)
  string(APPEND wrong "\n  ${LIBRARY} exports none of the public names")
endif()
if(wrong)
  message(FATAL_ERROR "Past the public surface:${wrong}")
endif()
message(STATUS "${public} public symbols, the launcher includes only public headers")
