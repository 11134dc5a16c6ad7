# kestra_add_library(NAME SOURCES... [DEPS targets...])
# One static library per subsystem; headers are included as "subsystem/file.h" from src/.
function(kestra_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  if(ARG_DEPS)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  endif()
endfunction()

# kestra_add_test(NAME SOURCES... [DEPS targets...] [LABELS labels...])
# The one place that registers a GoogleTest suite with CTest.
function(kestra_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main Threads::Threads)
  target_compile_definitions(${name} PRIVATE
    KESTRA_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data"
    KESTRA_BIN_DIR="${CMAKE_RUNTIME_OUTPUT_DIRECTORY}")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS "${ARG_LABELS}" TIMEOUT 120)
endfunction()

# kestra_qt_target(TARGET)
# Runs moc and rcc for a Qt target, and uic over the target's .ui files. What the generators write is compiled
# without warnings: the project's -Werror set is for our code, not theirs. (uic runs by hand: automatic uic takes
# every "ui_*.h" include for a form, and "app/ui_hooks.h" is none.)
function(kestra_qt_target target)
  set_target_properties(${target} PROPERTIES AUTOMOC ON AUTORCC ON)
  get_target_property(sources ${target} SOURCES)
  set(forms "")
  foreach(s ${sources})
    if(s MATCHES "\\.ui$")
      list(APPEND forms ${s})
    endif()
  endforeach()
  if(forms)
    qt_wrap_ui(form_headers ${forms})
    target_sources(${target} PRIVATE ${form_headers})
    target_include_directories(${target} SYSTEM PRIVATE ${CMAKE_CURRENT_BINARY_DIR})
  endif()
  set(autogen ${CMAKE_CURRENT_BINARY_DIR}/${target}_autogen)
  set_source_files_properties(${autogen}/mocs_compilation.cpp PROPERTIES COMPILE_OPTIONS "-w")
  # A "file.moc" included at the end of a source: from a system include folder, so its warnings are quiet too.
  target_include_directories(${target} SYSTEM PRIVATE ${autogen}/include)
endfunction()

# kestra_add_qtest(NAME SOURCES... [DEPS targets...])
# A QTest program over real windows, run offscreen with a scratch runtime folder. Leaks that fontconfig and D-Bus
# keep for the life of the process are suppressed; nothing else is.
function(kestra_add_qtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  kestra_qt_target(${name})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} Qt6::Test Qt6::Widgets Threads::Threads)
  target_compile_definitions(${name} PRIVATE
    KESTRA_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data"
    KESTRA_BIN_DIR="${CMAKE_RUNTIME_OUTPUT_DIRECTORY}")
  set(runtime ${CMAKE_BINARY_DIR}/qtest-runtime)
  file(MAKE_DIRECTORY ${runtime})
  file(CHMOD ${runtime} DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES LABELS ui TIMEOUT 300 ENVIRONMENT
    "QT_QPA_PLATFORM=offscreen;XDG_RUNTIME_DIR=${runtime};LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/ui/lsan.supp:print_suppressions=0")
endfunction()
