include(GoogleTest)
find_package(GTest REQUIRED)

# Every test runs headless; Chromium inside Qt WebEngine needs its sandbox off
# when the tests run as root, as they do in CI.
set(ZU_TEST_ENV QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1
    "QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu --no-sandbox --disable-background-networking"
    ZU_SOURCE_DIR=${PROJECT_SOURCE_DIR})

# zu_add_gtest(<name> SOURCES ... LIBS ...): a GoogleTest executable whose cases
# CTest lists one by one.
function(zu_add_gtest name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST NO_PRETTY_VALUES
    PROPERTIES ENVIRONMENT "${ZU_TEST_ENV}" TIMEOUT ${T_TIMEOUT})
endfunction()

# zu_add_qtest(<name> SOURCES ... LIBS ...): a Qt Test executable run as one CTest test.
function(zu_add_qtest name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} Qt6::Test)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${ZU_TEST_ENV}" TIMEOUT ${T_TIMEOUT})
endfunction()
