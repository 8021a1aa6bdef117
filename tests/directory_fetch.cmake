# Revocation lists fetched from a real LDAP directory: OpenLDAP's slapd on 127.0.0.1, started and
# stopped by the test with a configuration of its own (no system service). No display needed.
if(CMAKE_CROSSCOMPILING AND TARGET vessop_trust)
  add_executable(directory_probe ${CMAKE_SOURCE_DIR}/tests/e2e/directory_probe.cpp)
  target_link_libraries(directory_probe PRIVATE vessop_trust)
  find_program(VESSOP_SLAPD slapd PATHS /usr/sbin)
  find_program(VESSOP_LDAPADD ldapadd)
  if(VESSOP_SLAPD AND VESSOP_LDAPADD)
    add_test(NAME Directory.ListsFetchedWithinTheirLimits
             COMMAND bash ${CMAKE_SOURCE_DIR}/tests/directory_fetch.sh $<TARGET_FILE:directory_probe> ${VESSOP_SLAPD})
    set_tests_properties(Directory.ListsFetchedWithinTheirLimits PROPERTIES
      TIMEOUT 240
      FAIL_REGULAR_EXPRESSION "Unhandled page fault|Unhandled exception|FAIL:")
  else()
    message(STATUS "Directory test skipped: slapd or ldapadd missing (scripts/setup)")
  endif()
endif()
