# A second Wine prefix for the tests that change the system the way the
# installer and the uninstaller do: HKLM keys, Program Files, the per-user
# folder, the one VelloService registration and the devices of every class.
# It has its own harness state (its own Xvfb screen and wineserver), and its
# tests run one at a time, so they neither disturb the shared prefix's tests
# nor each other. Each test starts by removing what an earlier one installed
# (vt::ResetInstalledState).
set(VELLO_SETUP_HARNESS_STATE ${CMAKE_BINARY_DIR}/wine-setup)

add_test(NAME harness.setup.start
         COMMAND ${VELLO_HARNESS} start ${VELLO_SETUP_HARNESS_STATE} $<TARGET_FILE:vello_keepalive>)
add_test(NAME harness.setup.stop COMMAND ${VELLO_HARNESS} stop ${VELLO_SETUP_HARNESS_STATE})
set_tests_properties(harness.setup.start PROPERTIES FIXTURES_SETUP wine_setup TIMEOUT 300)
set_tests_properties(harness.setup.stop PROPERTIES FIXTURES_CLEANUP wine_setup TIMEOUT 60)

# vello_add_system_test(name SOURCES ... [LIBS ...] [TIMEOUT s] [DEPENDS targets...])
# As vello_add_test, run in the setup prefix, one at a time.
function(vello_add_system_test name)
  vello_add_test(${name} ${ARGN} STATE ${VELLO_SETUP_HARNESS_STATE} FIXTURE wine_setup LOCK wine_setup)
endfunction()
