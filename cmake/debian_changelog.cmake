# Writes NEWS.md, the change log for people, in the form Debian's tools read
# in a package's changelog.gz: one entry per version, its bullets, and a
# trailer line with the version's date (for the newest, the sources' time,
# RX50ORDER_SOURCE_DATE, when that is later in its day).
#   rx50order_debian_changelog(<NEWS.md> <output> <maintainer>)
# Needs cmake/source_date.cmake first.

# Seconds since 1970 of midnight UTC on a day of the Gregorian calendar.
function(rx50order_epoch_of_day year month day variable)
    if(month LESS_EQUAL 2)
        math(EXPR year "${year} - 1")
        math(EXPR shifted_month "${month} + 9")
    else()
        math(EXPR shifted_month "${month} - 3")
    endif()
    math(EXPR era "${year} / 400")
    math(EXPR year_of_era "${year} - ${era} * 400")
    math(EXPR day_of_year "(153 * ${shifted_month} + 2) / 5 + ${day} - 1")
    math(EXPR day_of_era "${year_of_era} * 365 + ${year_of_era} / 4 - ${year_of_era} / 100 + ${day_of_year}")
    math(EXPR epoch "(${era} * 146097 + ${day_of_era} - 719468) * 86400")
    set(${variable} ${epoch} PARENT_SCOPE)
endfunction()

function(rx50order_debian_changelog news output maintainer)
    file(READ ${news} text)
    # Lines as a list: a semicolon in the text must not split one.
    string(REPLACE ";" "@SEMICOLON@" text "${text}")
    string(REPLACE "\n" ";" lines "${text}")
    set(changelog "")
    set(trailer "")
    foreach(line IN LISTS lines)
        if(line MATCHES "^## ([0-9.]+) \\(([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])\\)$")
            set(version ${CMAKE_MATCH_1})
            rx50order_epoch_of_day(${CMAKE_MATCH_2} ${CMAKE_MATCH_3} ${CMAKE_MATCH_4} epoch)
            # The newest version is as new as the sources, which are at
            # least as new as its day: its entry stays newer than the one
            # before even when both were made on the same day.
            if(trailer STREQUAL "" AND RX50ORDER_SOURCE_DATE GREATER epoch)
                set(epoch ${RX50ORDER_SOURCE_DATE})
            endif()
            # As a Debian change log writes it: Fri, 11 Dec 2026 00:00:00 +0000.
            rx50order_format_time(${epoch} "%a, %d %b %Y %H:%M:%S +0000" date)
            string(APPEND changelog "${trailer}${PROJECT_NAME} (${version}) unstable; urgency=medium\n\n")
            set(trailer "\n -- ${maintainer}  ${date}\n\n")
        elseif(line MATCHES "^## ")
            message(FATAL_ERROR "${news}: a version's heading must read '## X.Y.Z (YYYY-MM-DD)': ${line}")
        elseif(line MATCHES "^- (.*)$")
            string(APPEND changelog "  * ${CMAKE_MATCH_1}\n")
        elseif(line MATCHES "^  (.*)$" AND NOT trailer STREQUAL "")
            string(APPEND changelog "    ${CMAKE_MATCH_1}\n")
        endif()
    endforeach()
    string(REGEX REPLACE "\n\n$" "\n" trailer "${trailer}")
    string(APPEND changelog "${trailer}")
    string(REPLACE "@SEMICOLON@" ";" changelog "${changelog}")
    file(WRITE ${output} "${changelog}")
endfunction()
