# Every line of the program's own code must have run by the end of the suite.
# Counts from an earlier run are cleared first, so they cannot stand in for
# this one's.
rx50order_require_program(RX50ORDER_GCOVR gcovr gcovr)

add_test(NAME coverage_reset COMMAND find ${PROJECT_BINARY_DIR} -name *.gcda -delete)
set_tests_properties(coverage_reset PROPERTIES FIXTURES_SETUP coverage_counts)

add_test(NAME coverage
    COMMAND ${RX50ORDER_GCOVR} --root ${PROJECT_SOURCE_DIR} --object-directory ${PROJECT_BINARY_DIR}
            --filter ${PROJECT_SOURCE_DIR}/conversion/ --filter ${PROJECT_SOURCE_DIR}/diagnostics/ --filter ${PROJECT_SOURCE_DIR}/probe/
            --exclude .*_test\\.cpp --print-summary --fail-under-line 100
            --txt ${PROJECT_BINARY_DIR}/coverage.txt)
set(counted unit ${suites} ${suites_with_counts})
set_tests_properties(${counted} PROPERTIES FIXTURES_REQUIRED coverage_counts)
set_tests_properties(coverage PROPERTIES DEPENDS "${counted}")
