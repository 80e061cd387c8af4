# Helpers that give every project target the same standard, warnings and include root.
include(GoogleTest)

set(PAIRSIFT_WARNINGS -Wall -Wextra -Wpedantic -Werror -Wno-missing-field-initializers)

# pairsift_library(NAME SOURCES file... LIBS target...)
# A static library rooted at src/, so headers are included as "folder/File.h".
function(pairsift_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  # Compiled a few files at once, a type private to one file looks to the compiler like a header's
  # member with internal linkage; that warning then says nothing about the code.
  target_compile_options(${name} PRIVATE ${PAIRSIFT_WARNINGS} -Wno-subobject-linkage)
  target_compile_definitions(${name} PUBLIC QT_NO_KEYWORDS)
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  set_target_properties(${name} PROPERTIES AUTOMOC ON UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 6)
endfunction()

# pairsift_test(NAME SOURCES file... LIBS target... [WIDGETS])
# One GoogleTest executable; its main creates the Qt application object (a QApplication with WIDGETS).
function(pairsift_test name)
  cmake_parse_arguments(ARG "WIDGETS" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_compile_options(${name} PRIVATE ${PAIRSIFT_WARNINGS})
  target_compile_definitions(${name} PRIVATE QT_NO_KEYWORDS)
  # Test files share most of their headers: compiling a few together parses Qt and GoogleTest once for them.
  set_target_properties(${name} PROPERTIES AUTOMOC ON UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 6)
  if(ARG_WIDGETS)
    target_link_libraries(${name} PRIVATE pairsift_testkit_main_widgets)
  else()
    target_link_libraries(${name} PRIVATE pairsift_testkit_main)
  endif()
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gmock)
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "LC_ALL=C.UTF-8")
endfunction()
