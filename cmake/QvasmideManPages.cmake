# Manual pages: each is generated from one source kept beside its program (NAME.1.md) into
# build/share/man/man1, and installed into share/man/man1. tests/tools/tst_manpages checks every
# page against its program's real switches.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(QVASMIDE_MAN_SOURCES
    ${PROJECT_SOURCE_DIR}/src/app/qvasmide.1.md
    ${PROJECT_SOURCE_DIR}/tools/qvasm/qvasm.1.md
    ${PROJECT_SOURCE_DIR}/tools/qvlink/qvlink.1.md
    ${PROJECT_SOURCE_DIR}/tools/qvdisasm/qvdisasm.1.md
    ${PROJECT_SOURCE_DIR}/tools/dump/dump.1.md)
set(QVASMIDE_MAN_DIR ${CMAKE_BINARY_DIR}/share/man/man1)
set(_pages)
set(_installed)
foreach(source ${QVASMIDE_MAN_SOURCES})
    get_filename_component(_name ${source} NAME_WLE) # qvasm.1
    add_custom_command(OUTPUT ${QVASMIDE_MAN_DIR}/${_name} ${QVASMIDE_MAN_DIR}/${_name}.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${QVASMIDE_MAN_DIR}
        COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/cmake/manpage.py ${source}
            ${QVASMIDE_MAN_DIR}/${_name} ${PROJECT_VERSION}
        COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/cmake/manpage.py ${source}
            ${QVASMIDE_MAN_DIR}/${_name}.gz ${PROJECT_VERSION}
        DEPENDS ${source} ${PROJECT_SOURCE_DIR}/cmake/manpage.py
        VERBATIM)
    list(APPEND _pages ${QVASMIDE_MAN_DIR}/${_name})
    list(APPEND _installed ${QVASMIDE_MAN_DIR}/${_name}.gz)
endforeach()
add_custom_target(manpages ALL DEPENDS ${_pages})
include(GNUInstallDirs)
# Installed compressed, as man expects them in a package.
install(FILES ${_installed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
