#!/bin/sh
# Runs the unit tests of a cross build under its emulator so that they can
# start themselves again, as GoogleTest's death tests do in their
# "threadsafe" style (its "fast" style forks, and a fork under qemu-user has
# been seen to spin for ever). The tests' argv[0] is this script, which the
# build machine can run; it runs the tests under the emulator again.
#
#   RX50ORDER_EMULATOR="qemu-aarch64 -L /usr/aarch64-linux-gnu" \
#   RX50ORDER_UNIT_TESTS=path/to/rx50_unit_tests emulated_unit_tests.sh [options]
set -eu
# shellcheck disable=SC2086 # the emulator is a command and its options
exec $RX50ORDER_EMULATOR -0 "$0" "$RX50ORDER_UNIT_TESTS" --gtest_death_test_style=threadsafe "$@"
