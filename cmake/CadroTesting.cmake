# cadro_add_test(<name> SOURCES <files...> [LIBS <targets...>] [LABELS <labels...>]
#                [ENVIRONMENT <VAR=value>])
#
# One test executable per module, registered with CTest test by test so that a
# failure names the behaviour that broke.
include(GoogleTest)

function(cadro_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS;ENVIRONMENT" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE cadro_core cadro_test_support GTest::gtest GTest::gtest_main ${ARG_LIBS})
  # Empty values vanish from argument lists, so only name the properties that are set.
  set(properties "")
  if(ARG_LABELS)
    list(APPEND properties LABELS "${ARG_LABELS}")
  endif()
  if(ARG_ENVIRONMENT)
    list(APPEND properties ENVIRONMENT "${ARG_ENVIRONMENT}")
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${properties})
endfunction()
