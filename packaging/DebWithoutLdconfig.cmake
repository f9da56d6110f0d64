# SPDX-License-Identifier: GPL-3.0-or-later
# CPack post-build script: CPack gives a package with a shared object under /usr/lib a
# postinst and a postrm that run ldconfig. Ours is a private module loaded by path, which
# ldconfig never sees, and dpkg's own trigger would run ldconfig anyway; the scripts only
# leave the package behind in "config-files" state after removal. So the .deb is repacked
# without them, when they are exactly CPack's ldconfig scripts.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(NOT package MATCHES "\\.deb$")
    continue()
  endif()
  set(tree "${package}.tree")
  file(REMOVE_RECURSE "${tree}")
  execute_process(COMMAND dpkg-deb -R "${package}" "${tree}" COMMAND_ERROR_IS_FATAL ANY)
  set(dropped)
  foreach(script postinst postrm)
    set(path "${tree}/DEBIAN/${script}")
    if(EXISTS "${path}")
      file(READ "${path}" text)
      # Whitespace aside, nothing but "if it is configure (or remove): ldconfig".
      string(REGEX REPLACE "[ \t\n]+" " " text "${text}")
      if(text MATCHES "^#!/bin/sh set -e if \\[ \"\\$1\" = \"(configure|remove)\" \\]; then ldconfig fi ?$")
        file(REMOVE "${path}")
        list(APPEND dropped ${script})
      endif()
    endif()
  endforeach()
  if(dropped)
    execute_process(COMMAND dpkg-deb --root-owner-group -Zxz -b "${tree}" "${package}"
                    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    list(JOIN dropped " and " dropped)
    message(STATUS "Dropped the ldconfig-only ${dropped} from ${package}")
  endif()
  file(REMOVE_RECURSE "${tree}")
endforeach()
