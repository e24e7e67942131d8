# Manual pages: each is generated from one source kept beside its program (NAME.1.md) into
# build/share/man/man1, and installed into share/man/man1. tests/tools/tst_manpages checks every
# page against its program's real switches.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(QVASMIDE_MAN_SOURCES
    ${PROJECT_SOURCE_DIR}/src/app/qvasmide.1.md
    ${PROJECT_SOURCE_DIR}/tools/qvasm/qvasm.1.md
    ${PROJECT_SOURCE_DIR}/tools/qvdisasm/qvdisasm.1.md
    ${PROJECT_SOURCE_DIR}/tools/dump/dump.1.md)
set(QVASMIDE_MAN_DIR ${CMAKE_BINARY_DIR}/share/man/man1)
set(_pages)
foreach(source ${QVASMIDE_MAN_SOURCES})
    get_filename_component(_name ${source} NAME_WLE) # qvasm.1
    add_custom_command(OUTPUT ${QVASMIDE_MAN_DIR}/${_name}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${QVASMIDE_MAN_DIR}
        COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/cmake/manpage.py ${source}
            ${QVASMIDE_MAN_DIR}/${_name} ${PROJECT_VERSION}
        DEPENDS ${source} ${PROJECT_SOURCE_DIR}/cmake/manpage.py
        VERBATIM)
    list(APPEND _pages ${QVASMIDE_MAN_DIR}/${_name})
endforeach()
add_custom_target(manpages ALL DEPENDS ${_pages})
include(GNUInstallDirs)
install(FILES ${_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
