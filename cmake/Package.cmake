# Debian packages made by CPack from what "cmake --install" installs (scripts/package runs it).
# Every install rule goes into the package of its install component:
#   main  -> call-history:       the program, its tools, data, desktop integration and the
#                                development call-UI service, so the package works on its own;
#   modem -> call-history-modem: the call service on ModemManager (services/*-modem), for a phone.
# Runtime dependencies on libraries are computed by dpkg-shlibdeps from the installed binaries;
# what the program needs but does not link is named below. Nothing of the build is a dependency.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME call-history)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Velto")
set(CPACK_PACKAGE_CONTACT "Velto telephony team <telephony@velto.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
# Install with DESTDIR, so that install-time code sees /usr as the prefix: the D-Bus service files
# and systemd units name the executables by their path on the target system.
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEB_COMPONENT_INSTALL ON)
get_cmake_property(CPACK_COMPONENTS_ALL COMPONENTS)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(ch_full_version "${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE}")

set(CPACK_DEBIAN_MAIN_PACKAGE_NAME call-history)
# The breeze icons are read by path (data/theme/icons.conf); settings are written through the dconf
# service and every control goes over the session bus, which must exist for the program to start.
set(CPACK_DEBIAN_MAIN_PACKAGE_DEPENDS
    "breeze-icon-theme, dconf-service, default-dbus-session-bus | dbus-session-bus")
# Balances of internet calling accounts come through the Telepathy account manager; phones run
# Wayland sessions.
set(CPACK_DEBIAN_MAIN_PACKAGE_RECOMMENDS "telepathy-mission-control-5, qtwayland5")
# Maintainer scripts of a package whose systemd user unit is enabled for every user: made from
# the shared templates in debian/, with the package's own extra removal steps (debian/<component>/
# postrm.part) appended; the list of files goes into <VAR>.
function(ch_debian_unit_scripts component unit var)
    set(dir ${CMAKE_BINARY_DIR}/debian/${component})
    set(extra "")
    if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/debian/${component}/postrm.part)
        file(READ ${CMAKE_CURRENT_LIST_DIR}/debian/${component}/postrm.part extra)
    endif()
    foreach(script postinst postrm)
        configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/user-unit-${script}.in ${dir}/${script} @ONLY
                       FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
                       GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
    endforeach()
    set(${var} ${dir}/postinst ${dir}/postrm PARENT_SCOPE)
endfunction()

# The program's user unit is enabled for every user's graphical session.
ch_debian_unit_scripts(main call-history.service CPACK_DEBIAN_MAIN_PACKAGE_CONTROL_EXTRA)
# Descriptions: the first line is the summary.
set(CPACK_DEBIAN_MAIN_DESCRIPTION
    "Phone application: call history, dialer and contacts
The phone application of a touch-screen Linux handset: the call history grouped
by day with repeated calls collapsed, a dialer that also opens tel: links, and
the address book, with calls over the cellular network and internet calling
accounts. It runs prestarted with the session and is controlled over D-Bus.

This package includes a development call-UI service that plays calls out
without a modem; install call-history-modem on a phone.")

set(CPACK_DEBIAN_MODEM_PACKAGE_NAME call-history-modem)
set(CPACK_DEBIAN_MODEM_PACKAGE_DEPENDS "call-history (= ${ch_full_version}), modemmanager")
# The call screen routes the audio through callaudiod and rings through feedbackd; without them
# calls go on silently as to ring and routing.
set(CPACK_DEBIAN_MODEM_PACKAGE_RECOMMENDS "callaudiod, feedbackd")
set(CPACK_DEBIAN_MODEM_DESCRIPTION
    "Phone application: calls through the modem
The call service of the call-history phone application on a phone: it places
and follows calls through ModemManager and writes every call into the history.
Installed, it takes the call-UI bus name over from the development service.")
# The development service's D-Bus activation file is moved aside while this package is
# installed and the package's own takes its place, so that a call request can only ever start the
# modem service; the service also starts with every user's session, so that incoming calls are
# followed (and recorded) from the start.
ch_debian_unit_scripts(modem call-ui-modem.service ch_modem_scripts)
set(CPACK_DEBIAN_MODEM_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/debian/modem/preinst
                                             ${ch_modem_scripts})

# Every binary package carries its copyright file and the Debian changelog (compressed, with no
# name or time stamp in the gzip header, so that a rebuild makes the same file).
configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/changelog.in ${CMAKE_BINARY_DIR}/debian/changelog
               @ONLY)
find_program(CH_GZIP gzip REQUIRED)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/debian/changelog.Debian.gz
                   COMMAND ${CH_GZIP} -9nc ${CMAKE_BINARY_DIR}/debian/changelog >
                           ${CMAKE_BINARY_DIR}/debian/changelog.Debian.gz
                   DEPENDS ${CMAKE_BINARY_DIR}/debian/changelog VERBATIM)
add_custom_target(debian_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/debian/changelog.Debian.gz)
foreach(package call-history call-history-modem)
    if(package STREQUAL call-history)
        set(component main)
    else()
        set(component modem)
    endif()
    install(FILES ${CMAKE_CURRENT_LIST_DIR}/debian/copyright
                  ${CMAKE_BINARY_DIR}/debian/changelog.Debian.gz
            DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component})
endforeach()

include(CPack)
