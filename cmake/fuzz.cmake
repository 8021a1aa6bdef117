# One fixed-seed tree of the certificate fuzzer (bench/fuzz_scan.cpp) on every test run: 5,000
# mutated signCert.der files beside ten controls, through the real scan. scripts/fuzz runs the long
# series. The emulator (scripts/wine-run) runs it under the build folder's Wine prefix.
if(TARGET bench_fuzz_scan)
  add_test(NAME FuzzScan.OneTreeOfMutants COMMAND bench_fuzz_scan --seed 1 --trees 1 --mutants-per-tree 5000)
  set_tests_properties(FuzzScan.OneTreeOfMutants PROPERTIES
    # Korean folder names need a UTF-8 locale under Wine.
    ENVIRONMENT "${VESSOP_TEST_ENVIRONMENT}"
    FAIL_REGULAR_EXPRESSION "${VESSOP_CRASH_REGEX}|FAIL:"
    TIMEOUT 240
    ${VESSOP_SHARED_PREFIX_LOCK})
endif()
