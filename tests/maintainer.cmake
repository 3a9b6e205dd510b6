# The maintainer checks: what a run costs and what it loads, failures
# injected into the real program, memcheck of every run, format and static
# analysis, and the packages. Included from tests/CMakeLists.txt when
# RX50ORDER_MAINTAINER_CHECKS is on; every tool they need must be present.

if(NOT CMAKE_CROSSCOMPILING)
    # Preloaded fault libraries, strace, valgrind and the analysers run on the
    # build machine's own programs: a cross build has no form of them.
    add_library(rx50_fault_injection MODULE fault_injection.cpp)
    target_link_libraries(rx50_fault_injection PRIVATE rx50_program_flags ${CMAKE_DL_LIBS})
    # Like the program, it needs only the C library, so that it adds no heap
    # allocation of its own to a run that memcheck counts.
    # (The program is single-threaded: its statics need no guard from the
    # C++ runtime.)
    target_compile_options(rx50_fault_injection PRIVATE -fno-threadsafe-statics)

    rx50order_require_program(RX50ORDER_FIU_RUN fiu-run fiu-utils)
    rx50order_require_program(RX50ORDER_VALGRIND valgrind valgrind)
    set(fault_options
        --fault-library $<TARGET_FILE:rx50_fault_injection>
        --fiu-run ${RX50ORDER_FIU_RUN}
        --valgrind ${RX50ORDER_VALGRIND})
    add_test(NAME fault
        COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/fault_test.py ${program_test_options} ${fault_options})
    list(APPEND suites_with_counts fault)
    if(RX50ORDER_SANITIZE)
        set_tests_properties(fault PROPERTIES ENVIRONMENT
            LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_SOURCE_DIR}/fiu.lsan-suppressions:print_suppressions=0)
    endif()

    if(NOT RX50ORDER_SANITIZE AND NOT RX50ORDER_COVERAGE)
        # What a run costs and what it loads is a property of the program as
        # it ships: instrumentation adds calls and libraries of its own, and
        # memcheck cannot run beside the sanitizers.
        rx50order_require_program(RX50ORDER_STRACE strace strace)
        rx50order_require_program(RX50ORDER_READELF readelf binutils)
        add_test(NAME footprint
            COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/footprint_test.py ${program_test_options}
                    --strace ${RX50ORDER_STRACE} --readelf ${RX50ORDER_READELF})
        foreach(suite program probe fault)
            add_test(NAME ${suite}_memcheck
                COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/${suite}_test.py
                        ${program_test_options} ${fault_options} --memcheck)
        endforeach()
        include(lint.cmake)
    endif()
endif()

if(NOT RX50ORDER_SANITIZE AND NOT RX50ORDER_COVERAGE)
    # What users install, and the package of the platform.
    rx50order_require_program(RX50ORDER_MANDOC_FOR_TESTS mandoc mandoc)
    if(NOT WIN32)
        rx50order_require_program(RX50ORDER_DPKG_DEB dpkg-deb dpkg)
        rx50order_require_program(RX50ORDER_DPKG_SHLIBDEPS dpkg-shlibdeps dpkg-dev)
    endif()
    set(package_options)
    if(RX50ORDER_DEBIAN_ARCHITECTURE)
        set(package_options --debian-architecture ${RX50ORDER_DEBIAN_ARCHITECTURE})
    endif()
    add_test(NAME package
        COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/package_test.py ${program_test_options}
                --build-dir ${PROJECT_BINARY_DIR} --version ${PROJECT_VERSION}
                --install-prefix ${CMAKE_INSTALL_PREFIX} --cmake ${CMAKE_COMMAND} --cpack ${CMAKE_CPACK_COMMAND}
                --mandoc ${RX50ORDER_MANDOC_FOR_TESTS} --source-dir ${PROJECT_SOURCE_DIR} ${package_options})
endif()

if(NOT CMAKE_CROSSCOMPILING AND NOT RX50ORDER_SANITIZE AND NOT RX50ORDER_COVERAGE)
    # scripts/package-check installs the Debian package on this machine, uses
    # it from PATH and removes it; here it must pass for the real package and
    # fail for packages with a planted fault. It needs root or sudo, and the
    # machine's one package database: it runs alone.
    add_test(NAME package_install
        COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/package_check_test.py
                --script ${PROJECT_SOURCE_DIR}/scripts/package-check --build-dir ${PROJECT_BINARY_DIR}
                --cpack ${CMAKE_CPACK_COMMAND})
    set_tests_properties(package_install PROPERTIES RUN_SERIAL ON)
endif()
