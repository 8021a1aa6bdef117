# End-to-end tests: the real Vessop.exe under Wine on a private Xvfb display, driven with xdotool,
# read back with screenshots, OCR and the registry. Each test copies the build's Wine prefix.
if(NOT TARGET Vessop OR NOT CMAKE_CROSSCOMPILING)
  return()
endif()

set(VESSOP_E2E_DIR ${CMAKE_SOURCE_DIR}/tests/e2e)

# Helpers that run inside the test's Wine prefix.
add_executable(e2e_post_devicechange ${VESSOP_E2E_DIR}/post_devicechange.cpp)
add_executable(e2e_window_probe ${VESSOP_E2E_DIR}/window_probe.cpp)
target_link_libraries(e2e_window_probe PRIVATE vessop_base user32)
add_executable(e2e_make_fixture ${VESSOP_E2E_DIR}/make_fixture.cpp)
target_link_libraries(e2e_make_fixture PRIVATE vessop_test_support vessop_npki)
# What a screen reader finds: UI Automation's client functions on the running window.
add_executable(e2e_uia_probe ${VESSOP_E2E_DIR}/uia_probe.cpp)
target_link_libraries(e2e_uia_probe PRIVATE vessop_base vessop_uiautomationcore ole32 oleaut32 user32)
# Vessop.exe with the high-contrast flag read from the registry (tests/e2e/high_contrast_flag.cpp).
add_executable(e2e_vessop_high_contrast WIN32 ${CMAKE_SOURCE_DIR}/app/main.cpp ${VESSOP_E2E_DIR}/high_contrast_flag.cpp
                                             ${CMAKE_SOURCE_DIR}/res/vessop.rc)
target_link_libraries(e2e_vessop_high_contrast PRIVATE vessop_app)
target_link_options(e2e_vessop_high_contrast PRIVATE -municode)
add_dependencies(e2e_vessop_high_contrast vessop_icon)
# Vessop.exe whose swap chain calls lose the device on request and count the swap chains alive
# (tests/e2e/device_loss_calls.cpp).
add_executable(e2e_vessop_device_loss WIN32 ${CMAKE_SOURCE_DIR}/app/main.cpp ${VESSOP_E2E_DIR}/device_loss_calls.cpp
                                          ${CMAKE_SOURCE_DIR}/res/vessop.rc)
target_link_libraries(e2e_vessop_device_loss PRIVATE vessop_app)
target_link_options(e2e_vessop_device_loss PRIVATE -municode)
add_dependencies(e2e_vessop_device_loss vessop_icon)
# The updater's tests: curl's stand-in (copied into the prefix as System32\curl.exe), a probe for
# message boxes, version blocks and the swap attack.
add_executable(e2e_curl_double ${VESSOP_E2E_DIR}/curl_double.cpp)
target_link_libraries(e2e_curl_double PRIVATE vessop_base)
target_link_options(e2e_curl_double PRIVATE -municode)
# The reminder's scheduled task, read back through the Task Scheduler's COM interfaces.
add_executable(e2e_task_probe ${VESSOP_E2E_DIR}/task_probe.cpp)
target_link_libraries(e2e_task_probe PRIVATE vessop_app taskschd ole32 oleaut32)
add_executable(e2e_update_probe ${VESSOP_E2E_DIR}/update_probe.cpp)
target_link_libraries(e2e_update_probe PRIVATE vessop_base user32 version)
# A planted system DLL (its own folder, so that nothing in bin/ ever loads it) and a program that binds
# crypt32.dll at start-up, the control showing that the plant runs when a program lets it.
add_library(e2e_planted_dll SHARED ${VESSOP_E2E_DIR}/planted_dll.c)
set_target_properties(e2e_planted_dll PROPERTIES PREFIX "" OUTPUT_NAME planted
                      RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/planted)
target_link_options(e2e_planted_dll PRIVATE -static-libgcc)
add_executable(e2e_static_import_probe ${VESSOP_E2E_DIR}/static_import_probe.c)
target_link_libraries(e2e_static_import_probe PRIVATE crypt32)

find_program(VESSOP_XVFB Xvfb)
find_program(VESSOP_XDOTOOL xdotool)
find_program(VESSOP_TESSERACT tesseract)
find_program(VESSOP_IMPORT import)
if(NOT VESSOP_XVFB OR NOT VESSOP_XDOTOOL OR NOT VESSOP_TESSERACT OR NOT VESSOP_IMPORT)
  message(STATUS "End-to-end tests skipped: Xvfb, xdotool, tesseract or ImageMagick missing (scripts/setup)")
  return()
endif()


# Each end-to-end test has its own Xvfb display, Wine prefix and temporary folder, so several run at once:
# each takes one slot of the resource "e2e" (scripts/test gives CTest a resource file with two slots; a
# test takes whichever comes free). They wait on the program most of the time, and two keep a 2-core
# machine busy without starving either.
# CTest reads the slots from this file on every run, scripts/test's and one started by hand alike; scripts/test
# writes it again with VESSOP_E2E_SLOTS slots.
set(CTEST_RESOURCE_SPEC_FILE ${CMAKE_BINARY_DIR}/ctest-resources.json)
if(NOT EXISTS ${CTEST_RESOURCE_SPEC_FILE})
  file(WRITE ${CTEST_RESOURCE_SPEC_FILE}
       "{\"version\": {\"major\": 1, \"minor\": 0}, \"local\": [{\"e2e\": [{\"id\": \"0\", \"slots\": 1}, {\"id\": \"1\", \"slots\": 1}]}]}\n")
endif()

function(vessop_e2e_test name script)
  add_test(NAME E2E.${name}
           COMMAND bash ${VESSOP_E2E_DIR}/${script} $<TARGET_FILE:Vessop> ${ARGN})
  set_tests_properties(E2E.${name} PROPERTIES RESOURCE_GROUPS e2e:1 TIMEOUT 240
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
vessop_e2e_test(CardsAtBothScales run_cards.sh)
vessop_e2e_test(SearchFieldFiltersTheList run_search.sh)
vessop_e2e_test(ListFollowsTheDisk run_watch.sh)
vessop_e2e_test(DetailPaneAndWheel run_detail.sh)
vessop_e2e_test(ScrollBarDragsToTheEnd run_scroll_bar.sh)
vessop_e2e_test(RecycleToTheBin run_recycle.sh)
vessop_e2e_test(CleanUpExpired run_cleanup.sh)
vessop_e2e_test(CopyToAnotherPlace run_copy.sh)
vessop_e2e_test(CopyFaultsLeaveTheDestination run_copy_faults.sh)
vessop_e2e_test(AddedFoldersAddAndRemove run_added_folders.sh)
vessop_e2e_test(OpenFolderOfTheChosenCopy run_open_folder.sh)
vessop_e2e_test(SettingsMenu run_menu.sh)
vessop_e2e_test(KeyboardOnly run_keyboard.sh)
vessop_e2e_test(HighContrastColours run_high_contrast.sh)
vessop_e2e_test(ScreenReaderTree run_screen_reader.sh)
vessop_e2e_test(DeviceLossRecovers run_device_loss.sh)
# The longest start early, so that the run does not end with one of them running alone.
set_tests_properties(E2E.AddedFoldersAddAndRemove E2E.CardsAtBothScales PROPERTIES COST 60)
vessop_e2e_test(ClicksNeedTheirOwnPress run_clicks.sh)
vessop_e2e_test(HungHelperIsCaught run_hung_helper.sh)
vessop_e2e_test(RemindersTellOnce run_remind.sh)
vessop_e2e_test(ReminderTaskFollowsTheProgram run_reminder_task.sh)
vessop_e2e_test(PlantedDllsAreNotLoaded run_planted_dll.sh $<TARGET_FILE:vessop-scan> $<TARGET_FILE:e2e_planted_dll>)
vessop_e2e_test(IssuerCheckShowsEachVerdict run_trust.sh)
# Its servers (slapd, an HTTP server, a silent one) run on 127.0.0.1 as the test's own children.
vessop_e2e_test(RevocationAskedOfTheIssuers run_revocation.sh)

# The updater installs a real release: scripts/release builds version 0.2.0 once per test run into its
# own folder (incremental afterwards), signed by a throwaway identity made with openssl.
find_program(VESSOP_MAKENSIS makensis)
find_program(VESSOP_OSSLSIGNCODE osslsigncode)
find_program(VESSOP_OPENSSL openssl)
if(VESSOP_MAKENSIS AND VESSOP_OSSLSIGNCODE AND VESSOP_OPENSSL)
  set(VESSOP_UPDATE_RELEASE ${CMAKE_BINARY_DIR}/update-release)
  math(EXPR next_minor "${VESSOP_VERSION_MINOR} + 1")
  add_test(NAME E2E.UpdateReleaseBuild
           COMMAND bash ${VESSOP_E2E_DIR}/build_update_release.sh ${VESSOP_UPDATE_RELEASE}
                   ${VESSOP_VERSION_MAJOR}.${next_minor}.0 ${VESSOP_MAKER_HOST})
  # A build: it takes a slot like an end-to-end test, and starts first, as five tests wait for it.
  set_tests_properties(E2E.UpdateReleaseBuild PROPERTIES FIXTURES_SETUP update_release TIMEOUT 1200
                       RESOURCE_GROUPS e2e:1 COST 1000)
  foreach(update_test UpdateInstallsSignedRelease:run_update_install.sh
                      UpdateRejectsBadInstallers:run_update_rejections.sh
                      UpdateAutomaticSchedule:run_update_schedule.sh
                      UpdateManualCheck:run_update_manual.sh
                      UpdateThroughRealNetworks:run_update_network.sh)
    string(REPLACE ":" ";" parts ${update_test})
    list(GET parts 0 test_name)
    list(GET parts 1 test_script)
    vessop_e2e_test(${test_name} ${test_script} ${VESSOP_UPDATE_RELEASE})
    set_tests_properties(E2E.${test_name} PROPERTIES FIXTURES_REQUIRED update_release TIMEOUT 600)
  endforeach()
  # The release itself, as someone verifying it would check it; and a rebuild elsewhere that must
  # give the same bytes.
  add_test(NAME Release.SignedTimestampedAndDescribed
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/release/run_release_checks.sh ${VESSOP_UPDATE_RELEASE}
                   $<TARGET_FILE:Vessop>)
  add_test(NAME Release.Reproducible
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/release/run_reproducible.sh ${VESSOP_UPDATE_RELEASE})
  set_tests_properties(Release.SignedTimestampedAndDescribed Release.Reproducible PROPERTIES
                       FIXTURES_REQUIRED update_release TIMEOUT 900 FAIL_REGULAR_EXPRESSION "FAIL:")
  # Two more builds: a slot of their own, and early, so that they do not run last and alone.
  set_tests_properties(Release.Reproducible PROPERTIES RESOURCE_GROUPS e2e:1 COST 900)
else()
  message(STATUS "Updater end-to-end tests skipped: makensis, osslsigncode or openssl missing (scripts/setup)")
endif()
