# Puts the shipped tariff beside the programs without ever replacing one that
# a user has edited. Run by the build as
#   cmake -DSOURCE=data/Charge.ini -DTARGET=bin/Charge.ini -DSTAMP=file -P CopyTariff.cmake
# STAMP holds the shipped tariff as it was last copied. The file beside the
# programs is copied when it is missing, and replaced by a newer shipped
# tariff only while it still equals that stamp, that is, while nobody has
# edited it; an edited tariff stays and the build says once that a newer
# shipped one was not taken.
foreach(var SOURCE TARGET STAMP)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "CopyTariff.cmake needs -D${var}=...")
    endif()
endforeach()

function(files_equal a b result)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${a}" "${b}"
                    RESULT_VARIABLE differ OUTPUT_QUIET ERROR_QUIET)
    if(differ EQUAL 0)
        set(${result} TRUE PARENT_SCOPE)
    else()
        set(${result} FALSE PARENT_SCOPE)
    endif()
endfunction()

function(take_shipped)
    file(COPY_FILE "${SOURCE}" "${TARGET}")
    file(COPY_FILE "${SOURCE}" "${STAMP}")
endfunction()

if(NOT EXISTS "${TARGET}" AND NOT IS_SYMLINK "${TARGET}")
    take_shipped()
    return()
endif()
if(NOT EXISTS "${STAMP}")
    # A tariff that was there before the build kept a stamp: the user's own.
    file(COPY_FILE "${SOURCE}" "${STAMP}")
    return()
endif()
files_equal("${SOURCE}" "${STAMP}" unchanged_source)
if(unchanged_source)
    return()
endif()
files_equal("${TARGET}" "${STAMP}" unedited)
if(unedited)
    take_shipped()
else()
    message(STATUS "Kept the edited tariff ${TARGET}; the newer shipped "
                   "${SOURCE} was not copied over it (delete the file to take it)")
    file(COPY_FILE "${SOURCE}" "${STAMP}")
endif()
