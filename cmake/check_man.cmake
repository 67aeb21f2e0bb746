# Fails when the launcher's help names a subcommand or an option that the
# man page pezolva(1) does not document.  Run as a test:
#   cmake -DLAUNCHER=<pezolva> -DMAN=<pezolva.1> -P cmake/check_man.cmake
# The subcommands are the "pezolva WORD" lines of `pezolva --help`; the
# options, every "--word" of `pezolva --help` and of each `WORD --help`.
function(help_of out)
  execute_process(COMMAND "${LAUNCHER}" ${ARGN} --help
                  OUTPUT_VARIABLE text RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "pezolva ${ARGN} --help ended with ${rc}")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

file(READ "${MAN}" man)
string(REPLACE "\\-" "-" man "${man}")

help_of(geral)
string(REGEX MATCHALL "pezolva [a-z]+" usos "${geral}")
set(subcomandos "")
foreach(uso IN LISTS usos)
  string(REPLACE "pezolva " "" s "${uso}")
  list(APPEND subcomandos ${s})
endforeach()
list(REMOVE_DUPLICATES subcomandos)
if(NOT subcomandos)
  message(FATAL_ERROR "pezolva --help lists no subcommand")
endif()

set(missing "")
set(textos "${geral}")
foreach(s IN LISTS subcomandos)
  if(NOT man MATCHES "\n\\.SS \"${s}[ \"]")
    string(APPEND missing "\n  the subcommand ${s} (no .SS section)")
  endif()
  help_of(texto ${s})
  string(APPEND textos "${texto}")
endforeach()

string(REGEX MATCHALL "--[a-z][a-z-]*" opcoes "${textos}")
list(REMOVE_DUPLICATES opcoes)
foreach(o IN LISTS opcoes)
  string(FIND "${man}" "${o}" at)
  if(at EQUAL -1)
    string(APPEND missing "\n  the option ${o}")
  endif()
endforeach()
foreach(tema IN ITEMS "PEZOLVA_PASSWORD" "pelvor" "ESTADO DE SAÍDA")
  string(FIND "${man}" "${tema}" at)
  if(at EQUAL -1)
    string(APPEND missing "\n  ${tema}")
  endif()
endforeach()

if(missing)
  message(FATAL_ERROR "pezolva(1) does not document:${missing}")
endif()
list(LENGTH subcomandos n)
message(STATUS "pezolva(1) documents the ${n} subcommands and their options")
