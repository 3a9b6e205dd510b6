# Installation and packages: a Debian package from the Linux build, a .zip
# from the Windows one. The version is the project's, from CMakeLists.txt.
include(GNUInstallDirs)

configure_file(${PROJECT_SOURCE_DIR}/doc/rx50order.1.in ${PROJECT_BINARY_DIR}/rx50order.1 @ONLY)

if(WIN32)
    # One flat folder: the program beside its README, licence and manual,
    # the manual rendered to HTML, which any Windows machine can read.
    install(TARGETS rx50order RUNTIME DESTINATION .)
    install(FILES README.md LICENSE DESTINATION .)
    find_program(RX50ORDER_MANDOC mandoc)
    if(RX50ORDER_MANDOC)
        add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/rx50order.html
            COMMAND sh -c "\"$0\" -Thtml \"$1\" > \"$2\"" ${RX50ORDER_MANDOC}
                    ${PROJECT_BINARY_DIR}/rx50order.1 ${PROJECT_BINARY_DIR}/rx50order.html
            DEPENDS ${PROJECT_BINARY_DIR}/rx50order.1
            COMMENT "Rendering the manual to HTML"
            VERBATIM)
        add_custom_target(rx50order_manual ALL DEPENDS ${PROJECT_BINARY_DIR}/rx50order.html)
        install(FILES ${PROJECT_BINARY_DIR}/rx50order.html DESTINATION .)
    else()
        message(WARNING "mandoc not found (Debian package mandoc): the Windows package will lack the manual")
    endif()
    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_FILE_NAME ${PROJECT_NAME}-${PROJECT_VERSION}-windows-x86_64)
else()
    install(TARGETS rx50order RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES ${PROJECT_BINARY_DIR}/rx50order.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    install(FILES README.md LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})
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
reported in one line with a sysexits status.")

include(CPack)
