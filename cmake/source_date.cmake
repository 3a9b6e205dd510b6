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

# A time given in seconds since 1970, formatted as string(TIMESTAMP) does
# (in UTC). string(TIMESTAMP) formats the time SOURCE_DATE_EPOCH names, so
# that is set for the call and then put back as it was.
function(rx50order_format_time epoch format variable)
    if(DEFINED ENV{SOURCE_DATE_EPOCH})
        set(previous "$ENV{SOURCE_DATE_EPOCH}")
    endif()
    set(ENV{SOURCE_DATE_EPOCH} ${epoch})
    string(TIMESTAMP time "${format}" UTC)
    if(DEFINED previous)
        set(ENV{SOURCE_DATE_EPOCH} "${previous}")
    else()
        unset(ENV{SOURCE_DATE_EPOCH})
    endif()
    set(${variable} "${time}" PARENT_SCOPE)
endfunction()

rx50order_format_time(${RX50ORDER_SOURCE_DATE} "%B" month)
rx50order_format_time(${RX50ORDER_SOURCE_DATE} "%d" day)
rx50order_format_time(${RX50ORDER_SOURCE_DATE} "%Y" year)
math(EXPR day "${day}") # no leading zero
set(MANUAL_DATE "${month} ${day}, ${year}")
