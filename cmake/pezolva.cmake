# pezolva_library(NAME SOURCES... [QT])
# An internal static (PIC) library of one subsystem, aliased pezolva::NAME.
# Internals are linked both into the shared library and into the tests, so
# the tests see exactly the code that ships.
function(pezolva_library name)
  cmake_parse_arguments(ARG "QT" "" "SOURCES;DEPENDS" ${ARGN})
  add_library(pezolva_${name} STATIC ${ARG_SOURCES})
  add_library(pezolva::${name} ALIAS pezolva_${name})
  target_include_directories(pezolva_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src
                                                    ${PROJECT_BINARY_DIR}/include
                                                    ${PROJECT_SOURCE_DIR}/include)
  target_link_libraries(pezolva_${name} PUBLIC ${ARG_DEPENDS})
  if(ARG_QT)
    set_target_properties(pezolva_${name} PROPERTIES AUTOMOC ON)
  endif()
endfunction()

# pezolva_test(NAME SOURCES... DEPENDS targets...)
# One GoogleTest executable registered with ctest.  Window tests run with
# the offscreen platform: a Qt program without a display would abort.
function(pezolva_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} pezolva::test_support GTest::gtest GTest::gmock)
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  gtest_discover_tests(${name}
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8" TIMEOUT 300
    DISCOVERY_TIMEOUT 60)
endfunction()
