# Format, static analysis and a second analyser, each a test: a finding fails
# it. The files are the targets' own sources, so that a file added to a
# target is formatted and analysed without being listed again here.
rx50order_require_program(RX50ORDER_CLANG_FORMAT clang-format clang-format)
rx50order_require_program(RX50ORDER_CLANG_TIDY clang-tidy clang-tidy)
rx50order_require_program(RX50ORDER_CPPCHECK cppcheck cppcheck)

# The sources and headers of the given targets, as absolute paths.
function(rx50order_sources_of variable)
    set(files)
    foreach(target ${ARGN})
        get_target_property(source_dir ${target} SOURCE_DIR)
        get_target_property(type ${target} TYPE)
        set(properties HEADER_SET INTERFACE_HEADER_SET)
        if(NOT type STREQUAL "INTERFACE_LIBRARY")
            list(APPEND properties SOURCES)
        endif()
        foreach(property ${properties})
            get_target_property(names ${target} ${property})
            foreach(name ${names})
                if(name)
                    cmake_path(ABSOLUTE_PATH name BASE_DIRECTORY ${source_dir} NORMALIZE)
                    list(APPEND files ${name})
                endif()
            endforeach()
        endforeach()
    endforeach()
    list(REMOVE_DUPLICATES files)
    list(SORT files)
    set(${variable} ${files} PARENT_SCOPE)
endfunction()

rx50order_sources_of(program_files ${RX50ORDER_PROGRAM_TARGETS})
# The Windows-only files are held to the same warnings by the Windows build;
# here they are formatted and read by cppcheck.
set(program_files ${program_files} ${RX50ORDER_WINDOWS_SOURCES})
rx50order_sources_of(test_files rx50_unit_tests rx50_fault_injection)
list(FILTER test_files EXCLUDE REGEX "^\\$<") # a generator expression, not a file
set(cpp_files ${program_files} ${test_files})
list(REMOVE_DUPLICATES cpp_files)

add_test(NAME clang_format COMMAND ${RX50ORDER_CLANG_FORMAT} --dry-run --Werror ${cpp_files})

# The programs' own code, as it is compiled here. One file a run: clang-tidy
# 14's analyser has been seen to carry state from one file into the next and
# report what is not so.
set(tidy_files ${program_files})
list(FILTER tidy_files INCLUDE REGEX "\\.cpp$")
list(REMOVE_ITEM tidy_files ${RX50ORDER_WINDOWS_SOURCES})
add_test(NAME clang_tidy
    COMMAND sh -c "for file; do \"${RX50ORDER_CLANG_TIDY}\" --quiet -p '${PROJECT_BINARY_DIR}' \"$file\" || exit 1; done"
            sh ${tidy_files})

set(cppcheck_files ${program_files})
list(FILTER cppcheck_files INCLUDE REGEX "\\.cpp$")
add_test(NAME cppcheck
    COMMAND ${RX50ORDER_CPPCHECK} --enable=warning,style,performance,portability --error-exitcode=1 --inline-suppr
            --std=c++20 --language=c++ --quiet -I ${PROJECT_SOURCE_DIR}
            ${cppcheck_files})
