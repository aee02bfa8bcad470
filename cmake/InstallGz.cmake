# Included by the install scripts of both packages: installs one file
# compressed as Debian wants manual pages and changelogs (gzip -9n, no name or
# time stamp, so rebuilds give the same bytes).
function(hakomaru_install_gz source destination)
    set(target "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${destination}")
    get_filename_component(dir "${target}" DIRECTORY)
    file(MAKE_DIRECTORY "${dir}")
    execute_process(COMMAND gzip -9n -c "${source}" OUTPUT_FILE "${target}"
                    RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "gzip could not write ${target}")
    endif()
    message(STATUS "Installing: ${target}")
    set(CMAKE_INSTALL_MANIFEST_FILES ${CMAKE_INSTALL_MANIFEST_FILES} "${target}" PARENT_SCOPE)
endfunction()
