# The modes of installed files and folders, and the helpers that the install
# scripts of both packages use for what they write themselves. Included when
# configuring (for the install rules) and by the install scripts.
#
# Every installed file gets its mode from here, never from the source tree
# (a tree unpacked by `git archive` holds files 0664) nor from the umask of
# the install: data and configuration 0644, programs and folders 0755.
set(HAKOMARU_FILE_MODE OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
set(HAKOMARU_PROGRAM_MODE
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# Creates the folder `dir` and each missing folder above it, with the folder
# mode. A folder that is there keeps its mode: it may be the system's.
function(hakomaru_install_folder dir)
    if(IS_DIRECTORY "${dir}")
        return()
    endif()
    get_filename_component(parent "${dir}" DIRECTORY)
    if(NOT parent STREQUAL dir)
        hakomaru_install_folder("${parent}")
    endif()
    file(MAKE_DIRECTORY "${dir}")
    file(CHMOD "${dir}" PERMISSIONS ${HAKOMARU_PROGRAM_MODE})
endfunction()

# Writes `content` as the file `target` with the file mode.
function(hakomaru_install_text target content)
    get_filename_component(dir "${target}" DIRECTORY)
    hakomaru_install_folder("${dir}")
    file(WRITE "${target}" "${content}")
    file(CHMOD "${target}" PERMISSIONS ${HAKOMARU_FILE_MODE})
    message(STATUS "Installing: ${target}")
endfunction()

# Installs one file compressed as Debian wants manual pages and changelogs
# (gzip -9n, no name or time stamp, so rebuilds give the same bytes).
function(hakomaru_install_gz source destination)
    set(target "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${destination}")
    get_filename_component(dir "${target}" DIRECTORY)
    hakomaru_install_folder("${dir}")
    execute_process(COMMAND gzip -9n -c "${source}" OUTPUT_FILE "${target}"
                    RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "gzip could not write ${target}")
    endif()
    file(CHMOD "${target}" PERMISSIONS ${HAKOMARU_FILE_MODE})
    message(STATUS "Installing: ${target}")
    set(CMAKE_INSTALL_MANIFEST_FILES ${CMAKE_INSTALL_MANIFEST_FILES} "${target}" PARENT_SCOPE)
endfunction()
