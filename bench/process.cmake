# Whole-process measurements, run by scripts/bench.sh under /usr/bin/time -v on a
# private X server: start-up to the first shown line, resident memory and a font
# change over a million lines printed, and the bare wx program the idle cost is
# compared with.
if(TARGET quillon_gui)
  add_executable(startup_probe ${CMAKE_CURRENT_LIST_DIR}/StartupProbe.cpp)
  target_link_libraries(startup_probe PRIVATE quillon_gui)
  add_executable(backlog_memory ${CMAKE_CURRENT_LIST_DIR}/BacklogMemory.cpp)
  target_link_libraries(backlog_memory PRIVATE quillon_gui)
  # The output area's candidates side by side; only this program links Scintilla.
  find_package(wxWidgets 3.2 COMPONENTS stc core base)
  if(wxWidgets_FOUND)
    add_executable(output_candidates ${CMAKE_CURRENT_LIST_DIR}/OutputCandidates.cpp)
    target_link_libraries(output_candidates PRIVATE quillon_gui ${wxWidgets_LIBRARIES})
  endif()
  add_executable(idle_bare ${CMAKE_CURRENT_LIST_DIR}/IdleBare.cpp)
  target_link_libraries(idle_bare PRIVATE quillon_gui)
endif()
# Several zones in one window, each against a simulator in the same process.
if(TARGET quillon_gui AND TARGET quillon_zonesim)
  add_executable(zones_memory ${CMAKE_CURRENT_LIST_DIR}/ZonesMemory.cpp)
  target_link_libraries(zones_memory PRIVATE quillon_gui quillon_zonesim)
endif()
