# Runs the include-graph check on a small tree with one fault of each kind and
# fails unless each is reported (and nothing that is allowed is).
# Run with: cmake -DCHECK=<check_layers.cmake> -DSRC=<faulty tree> -P check_faulty.cmake
execute_process(COMMAND ${CMAKE_COMMAND} -DSRC=${SRC} -P ${CHECK}
                RESULT_VARIABLE result ERROR_VARIABLE output OUTPUT_VARIABLE output)
if(result EQUAL 0)
  message(FATAL_ERROR "The check passed a tree with faults:\n${output}")
endif()
set(expected
  "disc/demo.h includes \"workspace.h\": include project headers by their path from src"
  "ui/bdmv/bdmvtab.h includes \"../../core/bytes.h\": include project headers by their path from src"
  "ui/bdmv/bdmvtab.h includes ui/menu/menutab.h: a tab never includes another tab"
  "ui/widgets/grid.h includes ui/bdmv/bdmvtab.h: ui/widgets may include only widgets"
  "ui/app/document.h includes ui/menu/menutab.h: of ui/app only the main window and its tab wiring include tabs"
  "ui/shell/menubar.h includes ui/menu/menutab.h: ui/shell includes no tab")
foreach(line IN LISTS expected)
  string(FIND "${output}" "${line}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "Not reported: ${line}\nThe check said:\n${output}")
  endif()
endforeach()
foreach(allowed "ui/app/tfmain.h" "ui/menu/menutab.h includes ui/app" "bdmvtab.h includes ui/widgets")
  string(FIND "${output}" "${allowed}" at)
  if(NOT at EQUAL -1)
    message(FATAL_ERROR "Reported an allowed include (${allowed}):\n${output}")
  endif()
endforeach()
