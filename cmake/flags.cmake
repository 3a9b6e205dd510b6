# The compiler flags of our own code. Third-party code built alongside (the
# GoogleTest of the cross builds) keeps its own.
include(CheckLinkerFlag)

# Warnings for every file of ours. They are errors only in the presets
# (CMAKE_COMPILE_WARNING_AS_ERROR): a packager's newer compiler may warn
# where ours did not, and that must not fail a user's build.
add_library(rx50_warnings INTERFACE)
target_compile_options(rx50_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
    -Wformat=2 -Wcast-qual -Wold-style-cast -Wundef)

# The programs need nothing of the C++ runtime, so that nothing of it is
# loaded at start-up. Theirs alone: the tests keep the compiler's defaults.
add_library(rx50_program_flags INTERFACE)
target_link_libraries(rx50_program_flags INTERFACE rx50_warnings)
target_compile_options(rx50_program_flags INTERFACE -fno-exceptions -fno-rtti)
# Leaves out the C++ runtime and libm that the compiler driver adds by
# default, where the linker knows the flag.
check_linker_flag(CXX "LINKER:--as-needed" RX50ORDER_LINKER_HAS_AS_NEEDED)
if(RX50ORDER_LINKER_HAS_AS_NEEDED)
    target_link_options(rx50_program_flags INTERFACE "LINKER:--as-needed")
endif()

# Sanitizers and coverage, carried by the programs' libraries to whatever
# links them (the programs and the unit tests).
add_library(rx50_instrumentation INTERFACE)
if(RX50ORDER_SANITIZE)
    set(sanitize -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_compile_options(rx50_instrumentation INTERFACE ${sanitize})
    # The runtimes are linked in, so that a library preloaded by a fault test
    # need not come after them. Clang links them in by default.
    target_link_options(rx50_instrumentation INTERFACE ${sanitize}
        $<$<CXX_COMPILER_ID:GNU>:-static-libasan -static-libubsan>)
endif()
if(RX50ORDER_COVERAGE)
    target_compile_options(rx50_instrumentation INTERFACE --coverage)
    target_link_options(rx50_instrumentation INTERFACE --coverage)
endif()
