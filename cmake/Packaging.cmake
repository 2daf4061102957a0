# The Debian package, made by CPack from the install rules (./scripts/package). What the desktop
# and the package say about the program is kept here; the version, title and licence come from the
# top-level CMakeLists.txt and LICENSE.

# One line about the program: the menu entry's comment, the metainfo summary, the package synopsis.
set(XQ_PROGRAM_SUMMARY "Convert a database backup from floppy diskettes to a Compact Flash card")
# Who answers for the package: its Maintainer field and the signature of its changelog.
set(XQ_PACKAGE_MAINTAINER "XQ3100 maintainers <xq3100@example.com>")

set(CPACK_GENERATOR DEB)
# The texts reach the package exactly as written here (the description names backup\single).
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VENDOR "The XQ3100 Database Media Converter authors")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${XQ_PROGRAM_SUMMARY}")
set(CPACK_PACKAGE_DESCRIPTION
    "The ${XQ_PROGRAM_TITLE} is the service engineer's tool
for upgrading a host system from floppy diskettes to a Compact Flash card.
It reads the system's database backup from its numbered set of diskettes,
checks that every diskette belongs to the set, verifies every archived file
against its checksum, joins the files that were split across diskettes and
writes the database to the card under backup\\single, proving it by reading
it back. One reading can be written to any number of cards.

The package holds the window, xq3100, and the terminal program xq3100-convert.")
set(CPACK_STRIP_FILES ON)
# The permissions of the package's folders, whatever the umask of the machine that makes it.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${XQ_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the programs link come from dpkg-shlibdeps; Qt's display plugins are loaded at run
# time, so no linked library names their package.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")

include(CPack)
