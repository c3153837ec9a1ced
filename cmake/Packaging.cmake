# SPDX-License-Identifier: GPL-3.0-or-later
# What a distribution ships besides the programs (manual pages, menu metadata, shell
# completion, copyright and changelog), and the Debian package made from it:
# `cpack -G DEB` in the build folder writes tarvelo_VERSION-RELEASE_ARCH.deb.
# Included after the programs' folders, so it sees which programs are built.

set(TARVELO_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(TARVELO_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/tarvelo)
find_program(TARVELO_GZIP gzip REQUIRED)

# Installs a file compressed as distributions keep manual pages and changelogs: gzip -9
# without a name or time stamp, so the bytes depend on the contents only.
function(tarvelo_install_gzipped source destination)
    get_filename_component(name ${source} NAME)
    set(copy ${CMAKE_CURRENT_BINARY_DIR}/${name})
    add_custom_command(OUTPUT ${copy}.gz
        COMMAND ${CMAKE_COMMAND} -E copy ${source} ${copy}
        COMMAND ${TARVELO_GZIP} -9 -n -f ${copy}
        DEPENDS ${source} VERBATIM)
    string(MAKE_C_IDENTIFIER "gzip_${name}" target)
    add_custom_target(${target} ALL DEPENDS ${copy}.gz)
    install(FILES ${copy}.gz DESTINATION ${destination})
endfunction()

set(TARVELO_DEBIAN_RELEASE 1 CACHE STRING "Revision of the Debian package")
set(TARVELO_PACKAGE_MAINTAINER "Tarvelo developers <tarvelo@tarvelo.invalid>"
    CACHE STRING "Maintainer field of the Debian package")

# For each program built: its manual page (PROGRAM.1 beside the program's CMakeLists.txt)
# and its shell completion, one file that completes all of them.
foreach(program tarvelo tarvelo-report tarvelo-catalog)
    if(NOT TARGET ${program})
        continue()
    endif()
    get_target_property(program_dir ${program} SOURCE_DIR)
    tarvelo_install_gzipped(${program_dir}/${program}.1 ${CMAKE_INSTALL_MANDIR}/man1)
    install(FILES ${TARVELO_PACKAGING_DIR}/bash-completion/tarvelo
            DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME ${program})
endforeach()

install(FILES ${TARVELO_PACKAGING_DIR}/copyright DESTINATION ${TARVELO_DOC_DIR})
tarvelo_install_gzipped(${TARVELO_PACKAGING_DIR}/changelog.Debian ${TARVELO_DOC_DIR})
if(TARGET tarvelo)
    set(metainfo org.tarvelo.tarvelo.metainfo.xml)
    configure_file(${TARVELO_PACKAGING_DIR}/${metainfo} ${metainfo} @ONLY)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${metainfo}
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

set(CPACK_PACKAGE_NAME tarvelo)
set(CPACK_PACKAGE_VENDOR "Tarvelo developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "plain-text inventories of discs")
set(CPACK_PACKAGE_DESCRIPTION
    "Tarvelo writes a plain-text inventory of a CD or DVD: the volume's facts,\n"
    "every folder and file with its size, and the entries of every ZIP and RAR\n"
    "archive on it, read from the archives' directories without extracting.\n"
    "It comes as a window that picks an optical drive (tarvelo) and as a\n"
    "command-line program (tarvelo-report) that takes a folder, an ISO 9660\n"
    "image or a drive; tarvelo-catalog keeps many discs in one searchable\n"
    "catalogue.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_OUTPUT_FILE_PREFIX ${PROJECT_BINARY_DIR})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${TARVELO_DEBIAN_RELEASE})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${TARVELO_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(TARGET tarvelo)
    # What the window's libraries do not say: its typeface, and Qt's platform plugins
    # (X11 and Wayland), which Qt loads at run time.
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-comic-neue, qt6-qpa-plugins")
endif()
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
