# `make package`: a Debian binary package made by CPack from the install rules of packaging/ and the
# programs, so it holds exactly what `make install` installs. Its paths are those of /usr, so it is
# offered only in a build configured for that prefix.
if(APPLE OR NOT CMAKE_INSTALL_PREFIX STREQUAL "/usr")
    return()
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME halvex)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "${HALVEX_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "privacy monitor for the camera, the microphone and location")
# Lines of at most 80 characters, as Debian's tools show them.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Halvex lives in the system tray and watches, as it happens, which applications\n"
    "use the camera, the microphone and location services. Each access becomes an\n"
    "alert: a desktop notice, an entry in the systemd journal and, with the user's\n"
    "own Telegram bot, a message whose button force-quits the application.\n"
    "A local backend service, halvexd, runs security checks, scripts and\n"
    "automations.")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${HALVEX_HOMEPAGE}")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# dpkg-shlibdeps names the libraries the programs link; the rest are what they load or run: the QML
# modules of the views, the SQLite driver of halvexd, emoji glyphs, ps/pgrep/pkill and ss/ip.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
string(CONCAT CPACK_DEBIAN_PACKAGE_DEPENDS
    "qml6-module-qtquick, qml6-module-qtquick-controls, qml6-module-qtquick-layouts, "
    "qml6-module-qtquick-templates, qml6-module-qtquick-window, qml6-module-qtqml-workerscript, "
    "libqt6sql6-sqlite, fonts-noto-color-emoji, procps, iproute2")
# The microphone is watched through PipeWire (pw-dump) or PulseAudio (pactl).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pipewire-bin | pulseaudio-utils")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "geoclue-2.0, nftables | ufw")

include(CPack)
