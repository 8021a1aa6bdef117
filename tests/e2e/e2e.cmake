# End-to-end tests: the real Vessop.exe under Wine on a private Xvfb display, driven with xdotool,
# read back with screenshots, OCR and the registry. Each test copies the build's Wine prefix.
if(NOT TARGET Vessop OR NOT CMAKE_CROSSCOMPILING)
  return()
endif()

set(VESSOP_E2E_DIR ${CMAKE_SOURCE_DIR}/tests/e2e)

# Helpers that run inside the test's Wine prefix.
add_executable(e2e_post_devicechange ${VESSOP_E2E_DIR}/post_devicechange.cpp)
add_executable(e2e_window_probe ${VESSOP_E2E_DIR}/window_probe.cpp)
target_link_libraries(e2e_window_probe PRIVATE user32)
add_executable(e2e_dialog_probe ${VESSOP_E2E_DIR}/dialog_probe.cpp)
target_link_libraries(e2e_dialog_probe PRIVATE user32)
add_executable(e2e_make_fixture ${VESSOP_E2E_DIR}/make_fixture.cpp)
target_link_libraries(e2e_make_fixture PRIVATE vessop_test_support vessop_npki)

find_program(VESSOP_XVFB Xvfb)
find_program(VESSOP_XDOTOOL xdotool)
find_program(VESSOP_TESSERACT tesseract)
find_program(VESSOP_IMPORT import)
if(NOT VESSOP_XVFB OR NOT VESSOP_XDOTOOL OR NOT VESSOP_TESSERACT OR NOT VESSOP_IMPORT)
  message(STATUS "End-to-end tests skipped: Xvfb, xdotool, tesseract or ImageMagick missing (scripts/setup)")
  return()
endif()


function(vessop_e2e_test name script)
  add_test(NAME E2E.${name}
           COMMAND bash ${VESSOP_E2E_DIR}/${script} $<TARGET_FILE:Vessop> ${ARGN})
  set_tests_properties(E2E.${name} PROPERTIES RUN_SERIAL TRUE TIMEOUT 240
                       FAIL_REGULAR_EXPRESSION "Unhandled page fault|Unhandled exception")
endfunction()

vessop_e2e_test(WindowOpensAtDefaultPlacement run_window.sh)
vessop_e2e_test(DarkThemeAndLiveSwitch run_theme.sh)
vessop_e2e_test(SummaryAfterScan run_summary.sh)
vessop_e2e_test(PlacementSavedAndRestored run_placement.sh)
vessop_e2e_test(UnregisterRemovesSettings run_unregister.sh)
vessop_e2e_test(DpiScalesMinimumSizeAndText run_dpi.sh)
vessop_e2e_test(DeviceArrivalRescansOnce run_devicechange.sh)
vessop_e2e_test(RefreshByKeyAndButton run_refresh.sh)
vessop_e2e_test(RecycleToTheBin run_recycle.sh)
vessop_e2e_test(CleanUpExpired run_cleanup.sh)
vessop_e2e_test(CopyToAnotherPlace run_copy.sh)
vessop_e2e_test(CopyFaultsLeaveTheDestination run_copy_faults.sh)
vessop_e2e_test(AddedFoldersAddAndRemove run_added_folders.sh)
vessop_e2e_test(OpenFolderOfTheChosenCopy run_open_folder.sh)
