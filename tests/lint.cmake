# Format, static analysis and a second analyser, each a test: a finding fails it.
rx50order_require_program(RX50ORDER_CLANG_FORMAT clang-format clang-format)
rx50order_require_program(RX50ORDER_CLANG_TIDY clang-tidy clang-tidy)
rx50order_require_program(RX50ORDER_CPPCHECK cppcheck cppcheck)

file(GLOB cpp_files CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/conversion/*.cpp ${PROJECT_SOURCE_DIR}/conversion/*.h
    ${PROJECT_SOURCE_DIR}/diagnostics/*.cpp ${PROJECT_SOURCE_DIR}/diagnostics/*.h
    ${PROJECT_SOURCE_DIR}/tests/*.cpp)
add_test(NAME clang_format COMMAND ${RX50ORDER_CLANG_FORMAT} --dry-run --Werror ${cpp_files})

# The program's own code. One file a run: clang-tidy 14's analyser has been
# seen to carry state from one file into the next and report what is not so.
# The Windows half of the same-file check is held to the same warnings by the
# Windows build, and is read by cppcheck below.
set(program_files
    ${PROJECT_SOURCE_DIR}/conversion/main.cpp
    ${PROJECT_SOURCE_DIR}/conversion/run.cpp
    ${PROJECT_SOURCE_DIR}/conversion/same_file_posix.cpp
    ${PROJECT_SOURCE_DIR}/diagnostics/reporters.cpp)
add_test(NAME clang_tidy COMMAND sh -c "for file; do ${RX50ORDER_CLANG_TIDY} --quiet -p '${PROJECT_BINARY_DIR}' \"$file\" || exit 1; done" sh ${program_files})

add_test(NAME cppcheck
    COMMAND ${RX50ORDER_CPPCHECK} --enable=warning,style,performance,portability --error-exitcode=1 --inline-suppr
            --std=c++20 --language=c++ --quiet -I ${PROJECT_SOURCE_DIR}
            ${program_files} ${PROJECT_SOURCE_DIR}/conversion/same_file_windows.cpp)
