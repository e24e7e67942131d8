# A Debian package: ./dev package (cpack -G DEB in the build folder) writes
# build/package/qvasmide_VERSION_amd64.deb. It installs what `cmake --install` does under /usr;
# its dependencies are computed from the binaries by dpkg-shlibdeps (dpkg-dev). The desktop
# entry, file types and icons are registered by the triggers of the packages that own those
# folders (shared-mime-info, desktop-file-utils, hicolor-icon-theme), so no maintainer script is
# needed. tests/package checks the built package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qvasmide)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Kestrelmoor Software")
set(CPACK_PACKAGE_CONTACT "Kestrelmoor Software <support@kestrelmoor.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop IDE for the QVASM 16-bit x86 assembler")
set(CPACK_PACKAGE_DESCRIPTION
    "QVASMIDE edits 16-bit x86 sources in syntax-coloured windows, groups them in workspaces,
assembles and builds DOS .com programs with its own assembler, and lists the errors in a Build
Window that explains each error code and jumps to the line. It ships the qvasm assembler, the
qvdisasm disassembler and the dump viewer, and builds from the command line without a display
(qvasmide --build, --check, --assemble).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
# The package carries stripped programs; the build folder keeps the debug information.
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # qvasmide_VERSION_ARCH.deb
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.kestrelmoor.example/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded as Qt plug-ins, not linked, so dpkg-shlibdeps cannot see it: the SVG icons need it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6 (>= 6.4)")
# Running a built program (Execute) uses DOSBox when it is there.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "dosbox")
# The folders a package's files go in are the system's; only the files are ours.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)

include(CPack)
