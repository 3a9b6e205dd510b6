# Installation and packages: a Debian package from the Linux build, a .zip
# from the Windows one. The version is the project's, from CMakeLists.txt;
# the manuals' date is the sources' (cmake/source_date.cmake).
include(GNUInstallDirs)
include(cmake/source_date.cmake)

set(RX50ORDER_PROGRAMS rx50order rx50probe)
foreach(program ${RX50ORDER_PROGRAMS})
    configure_file(${PROJECT_SOURCE_DIR}/doc/${program}.1.in ${PROJECT_BINARY_DIR}/${program}.1 @ONLY)
endforeach()

if(WIN32)
    # One flat folder: the programs beside the README, licence, change log
    # and manuals, the manuals rendered to HTML, which any Windows machine
    # can read.
    install(TARGETS ${RX50ORDER_PROGRAMS} RUNTIME DESTINATION .)
    install(FILES README.md LICENSE NEWS.md DESTINATION .)
    find_program(RX50ORDER_MANDOC mandoc)
    if(RX50ORDER_MANDOC)
        foreach(program ${RX50ORDER_PROGRAMS})
            add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/${program}.html
                COMMAND sh -c "\"$0\" -Thtml \"$1\" > \"$2\"" ${RX50ORDER_MANDOC}
                        ${PROJECT_BINARY_DIR}/${program}.1 ${PROJECT_BINARY_DIR}/${program}.html
                DEPENDS ${PROJECT_BINARY_DIR}/${program}.1
                COMMENT "Rendering the manual of ${program} to HTML"
                VERBATIM)
            add_custom_target(${program}_manual ALL DEPENDS ${PROJECT_BINARY_DIR}/${program}.html)
            install(FILES ${PROJECT_BINARY_DIR}/${program}.html DESTINATION .)
        endforeach()
    else()
        message(WARNING "mandoc not found (Debian package mandoc): the Windows package will lack the manuals")
    endif()
    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_FILE_NAME ${PROJECT_NAME}-${PROJECT_VERSION}-windows-x86_64)
else()
    install(TARGETS ${RX50ORDER_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    foreach(program ${RX50ORDER_PROGRAMS})
        install(FILES ${PROJECT_BINARY_DIR}/${program}.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    endforeach()
    install(FILES README.md LICENSE NEWS.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
    set(CPACK_GENERATOR DEB)
endif()

set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VENDOR "the rx50order developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "rx50order developers <maintainers@rx50order.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The run-time dependencies are worked out from the program by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The summary above is the synopsis line; this is the extended description.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "rx50order converts floppy-disk images of the RX50 geometry (409600 bytes,
800 blocks of 512 bytes) between their two block orders, pdp order and pro
order, in either direction. The two directions are exact inverses. The input
is never changed, the same file named twice is refused, and every failure is
reported in one line with a sysexits status. rx50probe tells which order an
image is in, from the home block of an RT-11 or Files-11 volume.")

include(CPack)
