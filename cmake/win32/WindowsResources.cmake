# The resources every Windows program of the project carries: the icon made
# from data/icons/, the manifest, and the version block with the version of
# the top CMakeLists.txt.
#   hakomaru_windows_resources(TARGET "FileDescription")
set(HAKOMARU_RESOURCE_DIR ${CMAKE_CURRENT_LIST_DIR} CACHE INTERNAL "")

function(hakomaru_windows_resources target description)
    set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}-resources)
    set(icon ${CMAKE_BINARY_DIR}/hakomaru.ico)
    set(sizes 16 32 48 64 128)
    list(TRANSFORM sizes REPLACE "(.+)" "${PROJECT_SOURCE_DIR}/data/icons/hakomaru-\\1.png"
         OUTPUT_VARIABLE pictures)
    if(NOT TARGET hakomaru_icon)
        find_package(Python3 REQUIRED COMPONENTS Interpreter)
        add_custom_command(OUTPUT ${icon}
            COMMAND Python3::Interpreter ${HAKOMARU_RESOURCE_DIR}/make_icon.py ${icon} ${pictures}
            DEPENDS ${HAKOMARU_RESOURCE_DIR}/make_icon.py ${pictures}
            COMMENT "The program's icon from data/icons")
        add_custom_target(hakomaru_icon DEPENDS ${icon})
    endif()
    set(HAKOMARU_RESOURCE_NAME ${target})
    set(HAKOMARU_RESOURCE_DESCRIPTION ${description})
    set(HAKOMARU_RESOURCE_ICON ${icon})
    set(HAKOMARU_RESOURCE_MANIFEST ${out}/${target}.manifest)
    configure_file(${HAKOMARU_RESOURCE_DIR}/hakomaru.manifest.in ${out}/${target}.manifest @ONLY)
    configure_file(${HAKOMARU_RESOURCE_DIR}/hakomaru.rc.in ${out}/${target}.rc @ONLY)
    target_sources(${target} PRIVATE ${out}/${target}.rc)
    set_source_files_properties(${out}/${target}.rc PROPERTIES
        OBJECT_DEPENDS "${icon};${out}/${target}.manifest")
    add_dependencies(${target} hakomaru_icon)
endfunction()
