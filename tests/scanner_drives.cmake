# vessop-scan.exe against drive letters (a removable E:, the default place on C:) in a private copy
# of the Wine prefix. Needs the fixture writer of the end-to-end tests, but no display.
if(CMAKE_CROSSCOMPILING AND TARGET vessop-scan AND TARGET e2e_make_fixture)
  add_test(NAME ScannerDrives.DefaultPlaceAndRemovableDrive
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/scanner_drives.sh $<TARGET_FILE:vessop-scan>
                   $<TARGET_FILE:e2e_make_fixture>)
  set_tests_properties(ScannerDrives.DefaultPlaceAndRemovableDrive PROPERTIES
    TIMEOUT 240
    FAIL_REGULAR_EXPRESSION "Unhandled page fault|Unhandled exception|FAIL:")
endif()
