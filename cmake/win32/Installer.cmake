# The Windows installer, build-windows/hakomaru.msi:
#   cmake --build build-windows --target hakomaru_msi
# made from hakomaru.wxs.in by make_msi.sh with wixl and msibuild (Debian's
# packages wixl and msitools; scripts/windows-check.sh installs them, builds
# the installer and tries it under wine). It holds the stripped programs
# and the files shipped beside them, as the zip does.

# Windows Installer compares only the first three fields of a product
# version, at most 255.255.65535, so the build number (the fourth field)
# goes into the third: 2.8.0.75 becomes 2.8.75 and 2.8.1.0 2.8.1000, and
# every build upgrades the one before it.
set(tweak 0)
if(PROJECT_VERSION_TWEAK)
    set(tweak ${PROJECT_VERSION_TWEAK})
endif()
math(EXPR build "${PROJECT_VERSION_PATCH} * 1000 + ${tweak}")
if(tweak GREATER_EQUAL 1000 OR build GREATER 65535 OR PROJECT_VERSION_MAJOR GREATER 255
   OR PROJECT_VERSION_MINOR GREATER 255)
    message(FATAL_ERROR "The version ${PROJECT_VERSION} does not fit an installer's version "
                        "(major and minor at most 255, patch at most 65, build at most 999)")
endif()
set(HAKOMARU_MSI_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${build})

# wixl takes the files by names relative to the source's folder.
set(stage ${CMAKE_BINARY_DIR}/msi-stage)
set(HAKOMARU_MSI_STAGE msi-stage)
set(HAKOMARU_MSI_ICON hakomaru.ico)
set(msi ${CMAKE_BINARY_DIR}/hakomaru.msi)
set(wxs ${CMAKE_BINARY_DIR}/hakomaru.wxs)

# One component per help page.
file(GLOB help_pages CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/data/Help/*)
set(HAKOMARU_MSI_HELP_COMPONENTS "")
set(HAKOMARU_MSI_HELP_REFS "")
foreach(page IN LISTS help_pages)
    get_filename_component(name ${page} NAME)
    string(MAKE_C_IDENTIFIER "Help_${name}" id)
    string(APPEND HAKOMARU_MSI_HELP_COMPONENTS
        "            <Component Id=\"${id}\" Guid=\"*\" Win64=\"yes\">\n"
        "              <File Id=\"${id}\" Source=\"${HAKOMARU_MSI_STAGE}/Help/${name}\" KeyPath=\"yes\"/>\n"
        "            </Component>\n")
    string(APPEND HAKOMARU_MSI_HELP_REFS "      <ComponentRef Id=\"${id}\"/>\n")
endforeach()
configure_file(${CMAKE_CURRENT_LIST_DIR}/hakomaru.wxs.in ${wxs} @ONLY)

set(shipped ${PROJECT_SOURCE_DIR}/data/Charge.ini ${PROJECT_SOURCE_DIR}/data/MapOfJapan.jpg
    ${PROJECT_SOURCE_DIR}/data/MapOfJapan@2x.jpg ${PROJECT_SOURCE_DIR}/docs/parcels.csv)
add_custom_command(OUTPUT ${msi}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}/Help
    COMMAND ${CMAKE_STRIP} -o ${stage}/hakomaru.exe $<TARGET_FILE:hakomaru>
    COMMAND ${CMAKE_STRIP} -o ${stage}/hakomaru-quote.exe $<TARGET_FILE:hakomaru-quote>
    COMMAND ${CMAKE_COMMAND} -E copy ${shipped} ${stage}
    COMMAND ${CMAKE_COMMAND} -E copy ${help_pages} ${stage}/Help
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/make_msi.sh ${wxs} ${msi}
    DEPENDS hakomaru hakomaru-quote ${shipped} ${help_pages} ${wxs} hakomaru_icon
            ${CMAKE_CURRENT_LIST_DIR}/make_msi.sh
    COMMENT "The Windows installer hakomaru.msi"
    VERBATIM)
add_custom_target(hakomaru_msi DEPENDS ${msi})
