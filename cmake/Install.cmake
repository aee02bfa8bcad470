# Installing and packaging.
#
# `cmake --install build --prefix P` gives one self-contained program folder,
# P/lib/hakomaru/, holding both programs and every file they find beside
# themselves or in their working directory: the tariff Charge.ini, the help
# pages Help/, the map pictures MapOfJapan.jpg and MapOfJapan@2x.jpg and the icons. P/bin/ starts
# them from anywhere; P/share/applications/hakomaru.desktop puts はこ丸 in the
# desktop's menu with the program folder as its working directory.
# `cpack -G DEB` in the build folder makes the Debian packages "hakomaru"
# and "hakomaru-tariff" (the tariff editor, which needs the first).

set(HAKOMARU_INSTALL_DIR lib/hakomaru)
# Everything below belongs to the package "hakomaru" unless it names the
# editor's component.
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME hakomaru)
set(HAKOMARU_EDITOR_COMPONENT hakomaru-tariff)

# Every rule below gives its files their mode, and the install scripts give
# theirs through the same helpers: data and configuration 0644, programs and
# folders 0755, whatever the modes of the source tree and the umask.
include(${PROJECT_SOURCE_DIR}/cmake/InstallHelpers.cmake)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${HAKOMARU_PROGRAM_MODE})
install(CODE "include(\"${PROJECT_SOURCE_DIR}/cmake/InstallHelpers.cmake\")")
if(TARGET hakomaru-tariff)
    install(CODE "include(\"${PROJECT_SOURCE_DIR}/cmake/InstallHelpers.cmake\")"
        COMPONENT ${HAKOMARU_EDITOR_COMPONENT})
endif()

if(TARGET hakomaru)
    install(TARGETS hakomaru RUNTIME DESTINATION ${HAKOMARU_INSTALL_DIR}
        PERMISSIONS ${HAKOMARU_PROGRAM_MODE})
endif()
install(TARGETS hakomaru-quote RUNTIME DESTINATION ${HAKOMARU_INSTALL_DIR}
    PERMISSIONS ${HAKOMARU_PROGRAM_MODE})
install(FILES ${PROJECT_SOURCE_DIR}/data/MapOfJapan.jpg ${PROJECT_SOURCE_DIR}/data/MapOfJapan@2x.jpg
    DESTINATION ${HAKOMARU_INSTALL_DIR}
    PERMISSIONS ${HAKOMARU_FILE_MODE})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/Help DESTINATION ${HAKOMARU_INSTALL_DIR}
    FILE_PERMISSIONS ${HAKOMARU_FILE_MODE} DIRECTORY_PERMISSIONS ${HAKOMARU_PROGRAM_MODE})
install(FILES ${PROJECT_SOURCE_DIR}/data/icons/hakomaru.svg
    DESTINATION ${HAKOMARU_INSTALL_DIR}/icons PERMISSIONS ${HAKOMARU_FILE_MODE})
# The example of the quote tool's batch comparison, where Debian keeps
# examples: hakomaru-quote compare --csv P/share/doc/hakomaru/examples/parcels.csv
install(FILES ${PROJECT_SOURCE_DIR}/docs/parcels.csv DESTINATION share/doc/hakomaru/examples
    PERMISSIONS ${HAKOMARU_FILE_MODE})
install(FILES ${PROJECT_SOURCE_DIR}/data/icons/hakomaru.svg
    DESTINATION share/icons/hicolor/scalable/apps PERMISSIONS ${HAKOMARU_FILE_MODE})

# The tariff is the user's to edit, and an install never replaces an edited
# one. Into a folder of your own it lies in the program folder and is
# installed only when none is there. A system install (prefix /usr, as the
# Debian package) keeps it as configuration, /etc/hakomaru/Charge.ini, which
# the program finds through a link in its folder; the package marks it as a
# configuration file, so dpkg keeps an edited one across upgrades. A staged
# install (DESTDIR, as for the package) always takes the shipped tariff.
install(CODE "set(HAKOMARU_SHIPPED_TARIFF \"${PROJECT_SOURCE_DIR}/data/Charge.ini\")")
install(CODE [[
    set(folder "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/lib/hakomaru")
    set(staged FALSE)
    if(NOT "$ENV{DESTDIR}" STREQUAL "")
        set(staged TRUE)
    endif()
    set(tariff "${folder}/Charge.ini")
    if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
        set(tariff "$ENV{DESTDIR}/etc/hakomaru/Charge.ini")
        get_filename_component(dir "${tariff}" DIRECTORY)
        hakomaru_install_folder("${dir}")
        # A tariff of an older install in the program folder moves to /etc.
        if(NOT staged AND NOT EXISTS "${tariff}" AND EXISTS "${folder}/Charge.ini"
           AND NOT IS_SYMLINK "${folder}/Charge.ini")
            file(RENAME "${folder}/Charge.ini" "${tariff}")
        endif()
    endif()
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${tariff}")
    if(EXISTS "${tariff}" AND NOT staged)
        message(STATUS "Kept: ${tariff} (an installed tariff is never replaced)")
    else()
        file(COPY_FILE "${HAKOMARU_SHIPPED_TARIFF}" "${tariff}")
        file(CHMOD "${tariff}" PERMISSIONS ${HAKOMARU_FILE_MODE})
        message(STATUS "Installing: ${tariff}")
    endif()
    if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
        file(REMOVE "${folder}/Charge.ini")
        file(CREATE_LINK /etc/hakomaru/Charge.ini "${folder}/Charge.ini" SYMBOLIC)
        list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${folder}/Charge.ini")
        message(STATUS "Installing: ${folder}/Charge.ini -> /etc/hakomaru/Charge.ini")
    endif()
]])

# P/bin/hakomaru changes to the program folder first: the map picture and
# the options window's help page are found relative to the working folder.
# The quote tool keeps the caller's folder (its --csv and --tariff paths are
# the caller's) and finds Charge.ini through its own resolved path, so a
# symbolic link serves.
if(TARGET hakomaru)
    file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/install/hakomaru [[#!/bin/sh
# Starts はこ丸 in its program folder, where it finds its map picture and help pages.
here=$(dirname "$(readlink -f "$0")")
cd "$here/../lib/hakomaru" || exit 1
exec ./hakomaru "$@"
]])
    install(PROGRAMS ${CMAKE_CURRENT_BINARY_DIR}/install/hakomaru DESTINATION bin
        PERMISSIONS ${HAKOMARU_PROGRAM_MODE})
endif()
install(CODE [[
    set(bin "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin")
    hakomaru_install_folder("${bin}")
    file(REMOVE "${bin}/hakomaru-quote")
    file(CREATE_LINK ../lib/hakomaru/hakomaru-quote "${bin}/hakomaru-quote" SYMBOLIC)
    message(STATUS "Installing: ${bin}/hakomaru-quote -> ../lib/hakomaru/hakomaru-quote")
]])

# The tariff editor: beside the program, on the path through a link (it
# finds Charge.ini through its own resolved path, as the quote tool does).
if(TARGET hakomaru-tariff)
    install(TARGETS hakomaru-tariff RUNTIME DESTINATION ${HAKOMARU_INSTALL_DIR}
        PERMISSIONS ${HAKOMARU_PROGRAM_MODE} COMPONENT ${HAKOMARU_EDITOR_COMPONENT})
    install(CODE [[
        set(bin "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin")
        hakomaru_install_folder("${bin}")
        file(REMOVE "${bin}/hakomaru-tariff")
        file(CREATE_LINK ../lib/hakomaru/hakomaru-tariff "${bin}/hakomaru-tariff" SYMBOLIC)
        list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${bin}/hakomaru-tariff")
        message(STATUS "Installing: ${bin}/hakomaru-tariff -> ../lib/hakomaru/hakomaru-tariff")
        set(folder "${CMAKE_INSTALL_PREFIX}/lib/hakomaru")
        set(desktop
            "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/share/applications/hakomaru-tariff.desktop")
        hakomaru_install_text("${desktop}" "[Desktop Entry]
Type=Application
Name=はこ丸 料金表の編集
Name[ja]=はこ丸 料金表の編集
GenericName=Tariff editor
GenericName[ja]=料金表エディター
Comment=Edits the fees of はこ丸's tariff file Charge.ini
Comment[ja]=はこ丸の料金表 Charge.ini の料金を編集します
Exec=\"${folder}/hakomaru-tariff\" %f
Icon=${folder}/icons/hakomaru.svg
Terminal=false
Categories=Office;
Keywords=tariff;fees;料金表;送料;
")
        list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${desktop}")
    ]] COMPONENT ${HAKOMARU_EDITOR_COMPONENT})
endif()

# The launcher names the installed folder, which is known only at install
# time (`--prefix` overrides the configured prefix).
if(TARGET hakomaru)
    install(CODE [[
        set(folder "${CMAKE_INSTALL_PREFIX}/lib/hakomaru")
        set(desktop "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/share/applications/hakomaru.desktop")
        hakomaru_install_text("${desktop}" "[Desktop Entry]
Type=Application
Name=はこ丸
GenericName=Parcel fee comparison
GenericName[ja]=送料比較
Comment=Compares what a parcel costs with ゆうパック and クロネコ
Comment[ja]=ゆうパックとクロネコの送料を比べます
Exec=\"${folder}/hakomaru\"
Path=${folder}
Icon=${folder}/icons/hakomaru.svg
Terminal=false
Categories=Office;
Keywords=parcel;shipping;postage;送料;宅配便;郵便;
")
    ]])
endif()

# The manual pages, the copyright and the changelog, compressed as Debian
# wants them.
configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/changelog.in
    ${CMAKE_CURRENT_BINARY_DIR}/install/changelog @ONLY)
install(FILES ${PROJECT_SOURCE_DIR}/cmake/debian/copyright DESTINATION share/doc/hakomaru
    PERMISSIONS ${HAKOMARU_FILE_MODE})
install(CODE "hakomaru_install_gz(\"${CMAKE_CURRENT_BINARY_DIR}/install/changelog\"
    share/doc/hakomaru/changelog.gz)")
install(CODE "hakomaru_install_gz(\"${PROJECT_SOURCE_DIR}/docs/man/hakomaru-quote.1\"
    share/man/man1/hakomaru-quote.1.gz)")
if(TARGET hakomaru-tariff)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/changelog-tariff.in
        ${CMAKE_CURRENT_BINARY_DIR}/install/changelog-tariff @ONLY)
    install(FILES ${PROJECT_SOURCE_DIR}/cmake/debian/copyright
        DESTINATION share/doc/hakomaru-tariff PERMISSIONS ${HAKOMARU_FILE_MODE}
        COMPONENT ${HAKOMARU_EDITOR_COMPONENT})
    install(CODE "hakomaru_install_gz(\"${CMAKE_CURRENT_BINARY_DIR}/install/changelog-tariff\"
        share/doc/hakomaru-tariff/changelog.gz)" COMPONENT ${HAKOMARU_EDITOR_COMPONENT})
    install(CODE "hakomaru_install_gz(\"${PROJECT_SOURCE_DIR}/docs/man/hakomaru-tariff.1\"
        share/man/man1/hakomaru-tariff.1.gz)" COMPONENT ${HAKOMARU_EDITOR_COMPONENT})
endif()
if(TARGET hakomaru)
    install(CODE "hakomaru_install_gz(\"${PROJECT_SOURCE_DIR}/docs/man/hakomaru.1\"
        share/man/man1/hakomaru.1.gz)")
endif()

# ---- Debian packages ----
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
if(TARGET hakomaru-tariff)
    set(CPACK_COMPONENTS_ALL hakomaru hakomaru-tariff)
else()
    set(CPACK_COMPONENTS_ALL hakomaru)
endif()
set(CPACK_DEBIAN_HAKOMARU_PACKAGE_NAME hakomaru)
set(CPACK_DEBIAN_HAKOMARU-TARIFF_PACKAGE_NAME hakomaru-tariff)
set(CPACK_DEBIAN_HAKOMARU-TARIFF_PACKAGE_DEPENDS "hakomaru (= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_HAKOMARU-TARIFF_PACKAGE_SECTION utils)
# The summary line is the same for both (CPack takes it for every package).
set(CPACK_DEBIAN_HAKOMARU-TARIFF_DESCRIPTION
    "The tariff editor of はこ丸: hakomaru-tariff shows every table of the
tariff file /etc/hakomaru/Charge.ini as a grid, takes only values its
fixed-width fields can hold, marks what hakomaru-quote check would flag,
previews both carriers from the unsaved tariff, and saves only the changed
fields' bytes after listing every change.")
set(CPACK_PACKAGE_NAME hakomaru)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "hakomaru")
set(CPACK_PACKAGE_CONTACT "hakomaru maintainers <hakomaru@example.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Parcel and postal fee comparison (はこ丸)")
set(CPACK_PACKAGE_DESCRIPTION
    "はこ丸 prices a parcel with ゆうパック and クロネコ side by side, itemises
each total and quotes letter mail and book parcels, from the tariff file
/etc/hakomaru/Charge.ini. Includes the command-line tool hakomaru-quote,
which also checks a tariff file and compares a CSV batch of parcels.")
set(CPACK_DEBIAN_HAKOMARU_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_HAKOMARU_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_HAKOMARU-TARIFF_FILE_NAME DEB-DEFAULT)
# The build keeps debugging information; the package does not.
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# Japanese fonts; Qt's Wayland platform, for a Wayland session without X11;
# a program that opens the help pages in the user's browser.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "fonts-noto-cjk | fonts-ipafont-gothic | fonts-vlgothic, qt6-wayland, xdg-utils")
find_program(HAKOMARU_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(HAKOMARU_DPKG_SHLIBDEPS)
    # The Qt 6 runtime, libjpeg and the C++ runtime, as the programs link them.
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
    set(CPACK_DEBIAN_PACKAGE_DEPENDS
        "libqt6widgets6, libqt6gui6, libqt6core6, libjpeg62-turbo, libstdc++6, libc6")
endif()
# The tariff under /etc is a configuration file: dpkg keeps a user's edits
# across upgrades and asks before replacing an edited one.
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/install/conffiles "/etc/hakomaru/Charge.ini\n")
set(CPACK_DEBIAN_HAKOMARU_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_BINARY_DIR}/install/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
