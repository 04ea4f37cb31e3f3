# Installs the tallvane@ systemd unit; runs at install time, after
# TALLVANE_UNIT_SOURCE and TALLVANE_UNIT_STAGING are set.
#
# Debian 12 keeps units in /lib, beside /usr: a prefix ending in /usr (the
# package's) puts the unit there; any other prefix keeps it below itself. The
# unit runs the program of the same prefix. (file(INSTALL) adds DESTDIR.)
if(CMAKE_INSTALL_PREFIX MATCHES "/usr/?$")
    string(REGEX REPLACE "/usr/?$" "" unit_root "${CMAKE_INSTALL_PREFIX}")
else()
    set(unit_root "${CMAKE_INSTALL_PREFIX}")
endif()
file(READ "${TALLVANE_UNIT_SOURCE}" unit)
string(REPLACE "/usr/bin/tallvane" "${CMAKE_INSTALL_PREFIX}/bin/tallvane" unit "${unit}")
file(WRITE "${TALLVANE_UNIT_STAGING}/tallvane@.service" "${unit}")
file(INSTALL "${TALLVANE_UNIT_STAGING}/tallvane@.service"
    DESTINATION "${unit_root}/lib/systemd/system")
