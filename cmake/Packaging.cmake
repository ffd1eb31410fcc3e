# Manual pages, Debian's documentation files, AppStream metadata and the Debian package itself:
# cpack -G DEB in a Release build folder (scripts/check-package builds and checks one).

set(TOLVAREN_HOMEPAGE "https://tolvaren.org/")
set(TOLVAREN_MAINTAINER "tolvaren developers <developers@tolvaren.org>")
set(packaging_dir "${PROJECT_SOURCE_DIR}/packaging")

if(UNIX AND NOT APPLE)
    find_program(HELP2MAN help2man)
    find_program(GZIP gzip REQUIRED)

    # The manual pages take their synopsis and options from the programs' own --help, so they
    # never fall behind the options; the prose around them is kept in packaging/*.h2m.
    # Without help2man the build goes on without them; the package check notices the gap.
    if(HELP2MAN)
        set(man_dir "${CMAKE_CURRENT_BINARY_DIR}/man")
        set(man_pages)
        set(tolvaren_name "receive, show, save and print the readings of a measuring instrument")
        set(tolvaren-sim_name "play a measuring instrument on a pseudo-terminal")
        foreach(program tolvaren tolvaren-sim)
            set(include_file ${packaging_dir}/${program}.h2m)
            # Run in a folder of its own: a tolvaren.qm in the working directory would translate
            # the help text whatever the locale.
            add_custom_command(OUTPUT ${man_dir}/${program}.1.gz
                COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 LANG=C.UTF-8
                        LANGUAGE= ${HELP2MAN} --no-info
                        --version-string=${PROJECT_VERSION} --section=1 --name=${${program}_name}
                        --include=${include_file} --output=${man_dir}/${program}.1
                        $<TARGET_FILE:${program}>
                COMMAND ${GZIP} -9nf ${man_dir}/${program}.1
                DEPENDS ${program} ${include_file}
                WORKING_DIRECTORY ${man_dir}
                COMMENT "Writing the manual page of ${program}"
                VERBATIM)
            list(APPEND man_pages ${man_dir}/${program}.1.gz)
        endforeach()
        file(MAKE_DIRECTORY ${man_dir})
        add_custom_target(tolvaren_manual_pages ALL DEPENDS ${man_pages})
        install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    else()
        message(STATUS "help2man not found: the manual pages are not built")
    endif()

    # A native package's changelog, compressed as Debian wants it.
    set(changelog_gz ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
    add_custom_command(OUTPUT ${changelog_gz}
        COMMAND ${GZIP} -9nc ${packaging_dir}/changelog > ${changelog_gz}
        DEPENDS ${packaging_dir}/changelog
        COMMENT "Compressing the changelog")
    add_custom_target(tolvaren_changelog ALL DEPENDS ${changelog_gz})
    install(FILES ${packaging_dir}/copyright ${changelog_gz} DESTINATION ${CMAKE_INSTALL_DOCDIR})
    install(FILES ${packaging_dir}/lintian-overrides RENAME tolvaren
            DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides)

    install(FILES ${packaging_dir}/org.tolvaren.tolvaren.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

    # A stripped install (cpack strips) also drops the compiler's version notes, as Debian's own
    # packages do; CMake's strip keeps them.
    install(CODE "
        if(CMAKE_INSTALL_DO_STRIP)
            foreach(program tolvaren tolvaren-sim)
                execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
                    --remove-section=.note
                    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/\${program}\"
                    COMMAND_ERROR_IS_FATAL ANY)
            endforeach()
        endif()")
endif()

set(CPACK_PACKAGE_NAME tolvaren)
set(CPACK_PACKAGE_VENDOR "tolvaren developers")
set(CPACK_PACKAGE_CONTACT "${TOLVAREN_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
# Read here rather than named as CPACK_PACKAGE_DESCRIPTION_FILE, which CPack escapes for XML.
file(READ "${packaging_dir}/description.txt" CPACK_DEBIAN_PACKAGE_DESCRIPTION)
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${TOLVAREN_HOMEPAGE}")
# dpkg-shlibdeps finds every library the programs link, and with the toolkit's GUI library its
# X11 platform plugin, which Debian ships in that same package.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The history's database driver is a plugin the toolkit loads by name, which shlibdeps cannot see.
set(CPACK_DEBIAN_PACKAGE_DEPENDS libqt6sql6-sqlite)
# The toolkit's own Russian, for the file dialogs and message box buttons.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
include(CPack)
