# Installation and packages: a Debian package from a Linux build, a .zip
# from the Windows one. The version is the project's, from CMakeLists.txt;
# the manuals' date and every timestamp are the sources' own
# (cmake/source_date.cmake), so that two builds of one commit give the same
# bytes.
include(GNUInstallDirs)
include(cmake/source_date.cmake)

set(RX50ORDER_PROGRAMS rx50order rx50probe)
set(RX50ORDER_MAINTAINER "rx50order developers <maintainers@rx50order.invalid>")
foreach(program ${RX50ORDER_PROGRAMS})
    configure_file(${PROJECT_SOURCE_DIR}/doc/${program}.1.in ${PROJECT_BINARY_DIR}/${program}.1 @ONLY)
endforeach()

# Whatever the umask of the one who installs or packages.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

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
    # Laid out as Debian lays out a package, which suits any Linux: manuals
    # compressed with gzip -9n (no name, no time in the header), the licence
    # in a machine-readable copyright file, the change log as changelog.gz.
    find_program(RX50ORDER_GZIP gzip REQUIRED)
    set(compressed)
    foreach(program ${RX50ORDER_PROGRAMS})
        list(APPEND compressed ${program}.1)
    endforeach()
    include(cmake/debian_changelog.cmake)
    rx50order_debian_changelog(${PROJECT_SOURCE_DIR}/NEWS.md ${PROJECT_BINARY_DIR}/changelog
        "${RX50ORDER_MAINTAINER}")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/NEWS.md)
    list(APPEND compressed changelog)
    set(gzipped)
    foreach(name ${compressed})
        add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/${name}.gz
            COMMAND ${RX50ORDER_GZIP} -9n --force --keep ${PROJECT_BINARY_DIR}/${name}
            DEPENDS ${PROJECT_BINARY_DIR}/${name}
            VERBATIM)
        list(APPEND gzipped ${PROJECT_BINARY_DIR}/${name}.gz)
    endforeach()
    add_custom_target(rx50order_compressed_documents ALL DEPENDS ${gzipped})

    # The copyright file holds the licence's own text, indented as the
    # format asks: one blank before each line, a dot for an empty one.
    # Its title and copyright line stand in the stanzas above the text.
    file(READ LICENSE licence)
    string(FIND "${licence}" "Redistribution" text_start)
    string(SUBSTRING "${licence}" ${text_start} -1 licence)
    string(STRIP "${licence}" licence)
    string(REPLACE "\n" ";" licence_lines "${licence}")
    set(licence_text)
    foreach(line IN LISTS licence_lines)
        if(line STREQUAL "")
            string(APPEND licence_text " .\n")
        else()
            string(APPEND licence_text " ${line}\n")
        endif()
    endforeach()
    configure_file(doc/copyright.in ${PROJECT_BINARY_DIR}/copyright @ONLY)

    # The .comment section holds only the names and versions of the compilers
    # that made the objects: nothing a user needs, dropped as Debian's own
    # tools drop it.
    if(CMAKE_OBJCOPY)
        foreach(program ${RX50ORDER_PROGRAMS})
            add_custom_command(TARGET ${program} POST_BUILD
                COMMAND ${CMAKE_OBJCOPY} --remove-section=.comment $<TARGET_FILE:${program}> VERBATIM)
        endforeach()
    endif()
    install(TARGETS ${RX50ORDER_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    foreach(program ${RX50ORDER_PROGRAMS})
        install(FILES ${PROJECT_BINARY_DIR}/${program}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    endforeach()
    install(FILES README.md ${PROJECT_BINARY_DIR}/copyright ${PROJECT_BINARY_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
    set(CPACK_GENERATOR DEB)
    if(RX50ORDER_DEBIAN_ARCHITECTURE)
        # A cross build: its toolchain file names the architecture.
        set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${RX50ORDER_DEBIAN_ARCHITECTURE})
    endif()
endif()

set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VENDOR "the rx50order developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${RX50ORDER_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The run-time dependencies are worked out from the programs by
# dpkg-shlibdeps, for the package's own architecture.
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
