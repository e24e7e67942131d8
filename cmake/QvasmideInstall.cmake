# cmake --install: the program folder as the build tree has it (the IDE, qvasmide.hlt beside it,
# the console tools in tools/, the wizard's include files in tools/include), a command on the PATH, and the desktop entry, file types and
# icon. The program finds its data through the folder of its executable (symbolic links
# resolved), so the command in bin/ is a link into the program folder.
#   cmake --install build [--prefix /usr/local]      (DESTDIR=... for a staged install)
include(GNUInstallDirs)
set(QVASMIDE_INSTALL_PROGRAM_DIR "lib/qvasmide" CACHE STRING
    "Program folder below the install prefix: the IDE, qvasmide.hlt and tools/")

install(TARGETS qvasmide RUNTIME DESTINATION ${QVASMIDE_INSTALL_PROGRAM_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/src/resources/help/qvasmide.hlt DESTINATION ${QVASMIDE_INSTALL_PROGRAM_DIR})
foreach(tool qvasm qvlink qvdisasm dump)
    if(TARGET ${tool})
        install(TARGETS ${tool} RUNTIME DESTINATION ${QVASMIDE_INSTALL_PROGRAM_DIR}/tools)
    endif()
endforeach()
install(DIRECTORY ${PROJECT_SOURCE_DIR}/tools/include DESTINATION ${QVASMIDE_INSTALL_PROGRAM_DIR}/tools)

# The IDE and the two console tools are commands on the PATH (links into the program folder);
# the dump window keeps to the program folder, its name being too common for bin/.
if(NOT QVASMIDE_INSTALL_PROGRAM_DIR STREQUAL CMAKE_INSTALL_BINDIR)
    foreach(_command qvasmide tools/qvasm tools/qvlink tools/qvdisasm)
        get_filename_component(_command_name ${_command} NAME)
        file(RELATIVE_PATH _qvasmide_link_target
            /${CMAKE_INSTALL_BINDIR} /${QVASMIDE_INSTALL_PROGRAM_DIR}/${_command})
        install(CODE "
            set(_bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
            file(MAKE_DIRECTORY \"\${_bin}\")
            file(CREATE_LINK \"${_qvasmide_link_target}\" \"\${_bin}/${_command_name}\" SYMBOLIC)
            message(STATUS \"Installing: \${_bin}/${_command_name} -> ${_qvasmide_link_target}\")
        ")
    endforeach()
endif()

set(_desktop ${PROJECT_SOURCE_DIR}/src/resources/desktop)
install(FILES ${_desktop}/qvasmide.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_desktop}/qvasmide-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
    RENAME qvasmide.xml)
install(FILES ${PROJECT_SOURCE_DIR}/src/resources/icons/qvasmide.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# The same icon as PNGs at each size a desktop asks for, rendered from the SVG at build time.
foreach(size ${QVASMIDE_ICON_SIZES})
    install(FILES ${QVASMIDE_ICON_DIR}/${size}x${size}/apps/qvasmide.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${_desktop}/qvasmide.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
    RENAME example.kestrelmoor.qvasmide.metainfo.xml)

# A direct install tells the desktop about the new file types at once; a staged one (DESTDIR,
# a package) leaves that to the package manager's triggers.
install(CODE "
    if(\"\$ENV{DESTDIR}\" STREQUAL \"\")
        find_program(_update_mime update-mime-database)
        find_program(_update_desktop update-desktop-database)
        if(_update_mime)
            execute_process(COMMAND \${_update_mime} \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/mime\")
        endif()
        if(_update_desktop)
            execute_process(COMMAND \${_update_desktop} -q \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications\")
        endif()
    endif()
")
