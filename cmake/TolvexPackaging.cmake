# TolvexPackaging.cmake - the Debian package, built by CPack from the install rules:
# cmake --build <dir> --target package (scripts/release.sh builds it reproducibly).
set(CPACK_PACKAGE_NAME tolvex)
set(CPACK_PACKAGE_VENDOR "The Tolvex developers")
set(CPACK_PACKAGE_CONTACT "${TOLVEX_MAINTAINER}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "three-digit lottery draw reduction by two fixed rules")
set(CPACK_PACKAGE_DESCRIPTION
    "From the previous draw and the last draw of a three-digit daily lottery (000 to
999), Tolvex strikes numbers out of the 1000 by two fixed rules and shows the
720 to 722 that remain as one line, with their count. The line goes to the
clipboard at once and can be saved to a text file. While the next real draw is
typed in, the window tells whether that draw was kept, and Enter moves on by
one draw, so a whole series of draws can be worked through from the keyboard.
The window speaks Chinese.
.
The command tolvex-cli gives scripts the same reduction and tests a draw
history against chance.")
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/TolvexStripPackage.cmake)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Dependencies as dpkg-shlibdeps finds them in the binaries; a font that holds the window's
# Chinese texts, and Qt's translations of its own dialogs, are recommended.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-microhei | fonts-noto-cjk, qt6-translations-l10n")
# Directories a package creates are root's and 0755, as Debian wants.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
