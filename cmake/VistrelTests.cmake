# How the test layers meet CTest.
#
# Labels: every test carries the name of its layer (unit, fuzz, x11, wayland, reliability, win32,
# package, lint; the Debian 13 ones debian13 and debian13-<layer>, Debian testing's testing and
# testing-<layer>); the test presets in CMakePresets.json select a layer by its label.
#
# Fixtures: set-up that several tests share is a pair of tests, FIXTURES_SETUP and
# FIXTURES_CLEANUP, and the tests that need it name it in FIXTURES_REQUIRED; ctest adds the pair
# to any run that selects one of those tests. A set-up test that must hand environment to later
# tests (DISPLAY, WINEPREFIX, a path) writes it as `export NAME=value` lines to a file in
# <build>/fixtures/, and tests/fixture-run.sh sources that file before it runs the test's own
# command. The fixtures:
#   wine        Xvfb, a fresh 64-bit Wine prefix and a persistent wineserver
#               (tests/win32/wine-fixture.sh; fixtures/wine.env)
#   wine_dual   the same prefix moved to a two-monitor Xvfb, after every other Wine test
#               (fixtures/wine-dual.env; tests/win32/CMakeLists.txt)
#   artefacts   the release artefacts, built once by scripts/package.sh (tests/package/)
#   clean_root  a clean Debian 12 root (tests/package/clean-root.sh; fixtures/clean-root.env)
#   debian13_*, testing_*  the Debian 13 and testing roots, the build there and the .deb
#               (tests/release-roots/CMakeLists.txt)

set(VISTREL_FIXTURES_DIR ${CMAKE_BINARY_DIR}/fixtures)
set(VISTREL_FIXTURE_RUN ${PROJECT_SOURCE_DIR}/tests/fixture-run.sh)
set(VISTREL_WINE_ENV ${VISTREL_FIXTURES_DIR}/wine.env)

# The fixture "wine", with the label of the layer that uses it.
function(vistrel_wine_fixture label)
  set(script ${PROJECT_SOURCE_DIR}/tests/win32/wine-fixture.sh)
  add_test(NAME wine.up COMMAND bash ${script} up ${VISTREL_WINE_ENV})
  add_test(NAME wine.down COMMAND bash ${script} down ${VISTREL_WINE_ENV})
  set_tests_properties(wine.up PROPERTIES FIXTURES_SETUP wine LABELS ${label} TIMEOUT 300)
  set_tests_properties(wine.down PROPERTIES FIXTURES_CLEANUP wine LABELS ${label} TIMEOUT 120)
endfunction()

# vistrel_add_wine_test(NAME LABEL TIMEOUT COMMAND...): a test in the fixture's Wine session.
# Wine tests share one X display and take the focus, so each runs alone.
function(vistrel_add_wine_test name label timeout)
  add_test(NAME ${name} COMMAND bash ${VISTREL_FIXTURE_RUN} ${VISTREL_WINE_ENV} -- ${ARGN}
           WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine LABELS ${label}
                                          TIMEOUT ${timeout} RUN_SERIAL ON)
  set_property(GLOBAL APPEND PROPERTY VISTREL_WINE_TESTS ${name})
endfunction()

# vistrel_add_pytest(NAME LABEL TIMEOUT ARGS...): pytest-3 (Debian's) from the source directory,
# so that tests/pytest.ini applies. The suites start their own X servers and measure time, so
# each runs alone.
find_program(VISTREL_PYTEST NAMES pytest-3 pytest)
function(vistrel_add_pytest name label timeout)
  add_test(NAME ${name} COMMAND ${VISTREL_PYTEST} ${ARGN} WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
  set_tests_properties(${name} PROPERTIES LABELS ${label} TIMEOUT ${timeout} RUN_SERIAL ON)
endfunction()
