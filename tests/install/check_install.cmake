# Installs the build into a scratch prefix and checks the XDG layout: the
# programs run from their installed paths, and the desktop entry, the icon and
# the *.bdmv MIME type are where desktops look for them.
#   cmake -DBUILD=<build dir> -DPREFIX=<scratch> -DGUI=ON|OFF -P check_install.cmake

file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD}" --prefix "${PREFIX}"
                RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${err}")
endif()

set(expected bin/navora-cli share/doc/navora/README.md)
if(GUI)
  list(APPEND expected bin/navora share/applications/navora.desktop
       share/icons/hicolor/scalable/apps/navora.svg share/mime/packages/navora-bdmv.xml)
endif()
foreach(f IN LISTS expected)
  if(NOT EXISTS "${PREFIX}/${f}")
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()

# Each program answers from where it was installed, without a display.
set(runs "navora-cli\;--version\;navora-cli ")
if(GUI)
  list(APPEND runs "navora\;--version\;navora " "navora\;--help\;Usage: navora")
endif()
foreach(run IN LISTS runs)
  list(GET run 0 program)
  list(GET run 1 option)
  list(GET run 2 start)
  execute_process(COMMAND "${PREFIX}/bin/${program}" ${option}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  string(FIND "${out}" "${start}" at)
  if(NOT rc EQUAL 0 OR NOT at EQUAL 0)
    message(FATAL_ERROR "${program} ${option}: exit ${rc}, output '${out}${err}'")
  endif()
endforeach()

if(GUI)
  # The desktop entry starts the installed program on the chosen file and
  # claims the type the MIME file defines for *.bdmv.
  file(READ "${PREFIX}/share/applications/navora.desktop" desktop)
  file(READ "${PREFIX}/share/mime/packages/navora-bdmv.xml" mime)
  foreach(line "Exec=navora %f" "Icon=navora" "MimeType=application/x-bdmv;")
    string(FIND "${desktop}" "\n${line}\n" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "navora.desktop lacks '${line}'")
    endif()
  endforeach()
  foreach(part "type=\"application/x-bdmv\"" "pattern=\"*.bdmv\"")
    string(FIND "${mime}" "${part}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "navora-bdmv.xml lacks ${part}")
    endif()
  endforeach()
endif()
file(REMOVE_RECURSE "${PREFIX}")
