# The program finds its language file and icon beside itself, in the build as after installing.
set(bytescope_languages en de)
if(NOT BYTESCOPE_LANGUAGE IN_LIST bytescope_languages)
    message(FATAL_ERROR "BYTESCOPE_LANGUAGE must be one of: ${bytescope_languages} (is '${BYTESCOPE_LANGUAGE}')")
endif()

set(bytescope_itl_source ${PROJECT_SOURCE_DIR}/lang/bytescope.${BYTESCOPE_LANGUAGE}.itl)
set(bytescope_icon_source ${CMAKE_CURRENT_SOURCE_DIR}/icons/bytescope.png)
set(bytescope_itl ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/bytescope.itl)
set(bytescope_icon ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/bytescope.png)

add_custom_command(
    OUTPUT ${bytescope_itl} ${bytescope_icon}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}
    COMMAND ${CMAKE_COMMAND} -E copy ${bytescope_itl_source} ${bytescope_itl}
    COMMAND ${CMAKE_COMMAND} -E copy ${bytescope_icon_source} ${bytescope_icon}
    DEPENDS ${bytescope_itl_source} ${bytescope_icon_source}
    COMMENT "Placing bytescope.itl (${BYTESCOPE_LANGUAGE}) and the icon beside the program")
add_custom_target(bytescope_data DEPENDS ${bytescope_itl} ${bytescope_icon})
add_dependencies(bytescope bytescope_data)

if(WIN32)
    # On Windows everything lives in the program's folder (scripts/package-windows adds the Qt and
    # MinGW runtime files beside it).
    install(TARGETS bytescope RUNTIME DESTINATION .)
    install(FILES ${bytescope_itl} ${bytescope_icon} ${CMAKE_CURRENT_SOURCE_DIR}/icons/bytescope.ico
            DESTINATION .)
    install(FILES ${PROJECT_SOURCE_DIR}/lang/bytescope.en.itl ${PROJECT_SOURCE_DIR}/lang/bytescope.de.itl
            DESTINATION lang)
    return()
endif()

# Installed: lib/bytescope/ holds the program with its language file and icon, bin/ a link to it.
# The program's own folder, not the multiarch library folder that GNUInstallDirs picks for a /usr
# prefix: so the layout is the same for every prefix and in the Debian package (/usr/lib/PACKAGE).
include(GNUInstallDirs)
set(bytescope_libdir lib/bytescope)
install(TARGETS bytescope RUNTIME DESTINATION ${bytescope_libdir})
install(FILES ${bytescope_itl} ${bytescope_icon} DESTINATION ${bytescope_libdir})
install(FILES ${PROJECT_SOURCE_DIR}/lang/bytescope.en.itl ${PROJECT_SOURCE_DIR}/lang/bytescope.de.itl
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bytescope/lang)
file(RELATIVE_PATH bytescope_link_target /${CMAKE_INSTALL_BINDIR} /${bytescope_libdir}/bytescope)
install(CODE "
    set(link \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/bytescope\")
    file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    file(REMOVE \"\${link}\")
    file(CREATE_LINK \"${bytescope_link_target}\" \"\${link}\" SYMBOLIC)
    message(STATUS \"Installing: \${link} -> ${bytescope_link_target}\")
")
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/desktop/bytescope.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/desktop/example.norvane.bytescope.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${bytescope_icon_source} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
