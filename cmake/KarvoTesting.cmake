# GoogleTest natively from the Debian packages; for Windows built with the
# cross toolchain from the sources Debian's googletest package ships.
if(WIN32)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # googletest's own CMake defines the GTest:: aliases.

  # Can this machine run the binaries under Wine? A kernel without 32-bit
  # support cannot run 32-bit Wine; the win64 preset then runs the Windows tests.
  if(KARVO_WINEARCH STREQUAL "win64")
    set(loader /usr/lib/wine/wine64)
  else()
    set(loader /usr/lib/wine/wine)
  endif()
  execute_process(COMMAND ${loader} --version RESULT_VARIABLE wine_rc OUTPUT_QUIET ERROR_QUIET)
  if(wine_rc EQUAL 0)
    set(default_wine_tests ON)
  else()
    set(default_wine_tests OFF)
    message(STATUS "Wine cannot run ${KARVO_WINEARCH} programs here: the Windows tests of this build are not registered")
  endif()
  option(KARVO_WINE_TESTS "Run the Windows test binaries under Wine" ${default_wine_tests})

  # The Wine prefix the Windows tests run in, made by the build inside the build tree.
  set(KARVO_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
  add_custom_command(
    OUTPUT ${KARVO_WINEPREFIX}/.karvo-ready
    COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-prefix.sh ${KARVO_WINEPREFIX} ${KARVO_WINEARCH}
    COMMENT "Creating the Wine prefix for the Windows tests"
    VERBATIM)
  if(KARVO_WINE_TESTS)
    add_custom_target(wineprefix ALL DEPENDS ${KARVO_WINEPREFIX}/.karvo-ready)
  endif()
else()
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()

# State folders of the fixture servers (see tests/CMakeLists.txt).
set(KARVO_STANDIN_DIR ${CMAKE_BINARY_DIR}/fixtures/standin)
set(KARVO_UPDATE_DIR ${CMAKE_BINARY_DIR}/fixtures/updateserver)
set(KARVO_UPDATE_ROOT ${CMAKE_BINARY_DIR}/fixtures/updateroot)

# karvo_test(<name> SOURCES ... LIBS ... [LABELS ...] [SERIAL] [RESOURCE_LOCK ...] [ENV ...])
# Natively every test case becomes a CTest test labelled "native"; a Windows test
# binary becomes one CTest test labelled "wine" that runs under Wine.
function(karvo_test name)
  cmake_parse_arguments(ARG "SERIAL;NO_MAIN" "TIMEOUT" "SOURCES;LIBS;LABELS;RESOURCE_LOCK;ENV;FIXTURES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  if(ARG_NO_MAIN)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock)
  else()
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  set(props TIMEOUT ${ARG_TIMEOUT})
  if(ARG_SERIAL)
    list(APPEND props RUN_SERIAL TRUE)
  endif()
  set(locks ${ARG_RESOURCE_LOCK})
  set(env "KARVO_SOURCE_DIR=${PROJECT_SOURCE_DIR}" "KARVO_BINARY_DIR=${CMAKE_BINARY_DIR}"
      "KARVO_STANDIN_DIR=${KARVO_STANDIN_DIR}" "KARVO_UPDATE_DIR=${KARVO_UPDATE_DIR}"
      "KARVO_UPDATE_ROOT=${KARVO_UPDATE_ROOT}" ${ARG_ENV})
  # One stand-in and one update server serve the whole run: their users take turns.
  list(APPEND locks ${ARG_FIXTURES})
  if(locks AND NOT WIN32)
    # gtest_discover_tests flattens its PROPERTIES, so a native test takes one
    # lock (tests that use both servers name the fixture "bothservers").
    list(LENGTH locks lock_count)
    if(lock_count GREATER 1)
      message(FATAL_ERROR "${name}: a native test takes one resource lock, not ${locks}")
    endif()
    list(APPEND props RESOURCE_LOCK "${locks}")
  endif()
  if(WIN32 AND NOT KARVO_WINE_TESTS)
    # Built, so the cross build proves the tests compile, but not run.
  elseif(WIN32)
    add_test(NAME wine.${name} COMMAND ${name})
    set_tests_properties(wine.${name} PROPERTIES LABELS "wine;${ARG_LABELS}"
      ENVIRONMENT "${env}" FIXTURES_REQUIRED "${ARG_FIXTURES}" ${props})
    # props is flattened above: several locks are set again as one list value.
    if(locks)
      set_tests_properties(wine.${name} PROPERTIES RESOURCE_LOCK "${locks}")
    endif()
  else()
    # gtest_discover_tests flattens its PROPERTIES, so a list ENVIRONMENT would
    # keep only its first item: the variables come through "cmake -E env" instead.
    set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR "${CMAKE_COMMAND};-E;env;${env}")
    # For the same reason the labels are one: "native", or "native-tsan" for a
    # test that also belongs to the ThreadSanitizer run (ctest -L matches parts).
    set(labels native ${ARG_LABELS})
    list(JOIN labels "-" label)
    if(ARG_FIXTURES)
      list(APPEND props FIXTURES_REQUIRED "${ARG_FIXTURES}")
    endif()
    gtest_discover_tests(${name} TEST_PREFIX "${name}." DISCOVERY_MODE PRE_TEST
      PROPERTIES LABELS "${label}" ${props})
  endif()
endfunction()
