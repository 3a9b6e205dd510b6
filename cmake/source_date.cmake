# The time the sources are from, never the time they are built: the date a
# manual shows and every timestamp of a release come from it, so that two
# builds of one commit give the same bytes. In order:
# - SOURCE_DATE_EPOCH, as reproducible builds set it;
# - the commit time that `git archive` writes into source-date.txt when it
#   makes a source tarball (export-subst in .gitattributes);
# - the commit time of a git checkout;
# - the time NEWS.md was last changed, for sources from anywhere else.
set(RX50ORDER_SOURCE_DATE "")
if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(RX50ORDER_SOURCE_DATE $ENV{SOURCE_DATE_EPOCH})
endif()
if(NOT RX50ORDER_SOURCE_DATE MATCHES "^[0-9]+$")
    file(STRINGS ${PROJECT_SOURCE_DIR}/cmake/source-date.txt RX50ORDER_SOURCE_DATE LIMIT_COUNT 1)
endif()
if(NOT RX50ORDER_SOURCE_DATE MATCHES "^[0-9]+$")
    find_package(Git QUIET)
    if(GIT_FOUND AND EXISTS ${PROJECT_SOURCE_DIR}/.git)
        execute_process(COMMAND ${GIT_EXECUTABLE} -C ${PROJECT_SOURCE_DIR} log -1 --format=%ct
            OUTPUT_VARIABLE RX50ORDER_SOURCE_DATE OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    endif()
endif()
if(NOT RX50ORDER_SOURCE_DATE MATCHES "^[0-9]+$")
    file(TIMESTAMP ${PROJECT_SOURCE_DIR}/NEWS.md RX50ORDER_SOURCE_DATE "%s" UTC)
endif()

# string(TIMESTAMP) formats the time SOURCE_DATE_EPOCH names, when it is set.
set(had_epoch OFF)
if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(had_epoch ON)
endif()
set(previous_epoch "$ENV{SOURCE_DATE_EPOCH}")
set(ENV{SOURCE_DATE_EPOCH} ${RX50ORDER_SOURCE_DATE})
string(TIMESTAMP month "%B" UTC)
string(TIMESTAMP day "%d" UTC)
string(TIMESTAMP year "%Y" UTC)
if(had_epoch)
    set(ENV{SOURCE_DATE_EPOCH} "${previous_epoch}")
else()
    unset(ENV{SOURCE_DATE_EPOCH})
endif()
math(EXPR day "${day}") # no leading zero
set(MANUAL_DATE "${month} ${day}, ${year}")
