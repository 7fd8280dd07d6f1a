# The window-thread responsiveness bench of the dialog program. Included from
# bench/CMakeLists.txt; needs the GUI build (targets sorvik_app and
# sorvik_gui_harness from app/ and tests/gui/).
if(TARGET sorvik_app AND TARGET sorvik_gui_harness)
  add_executable(gui_responsiveness ${CMAKE_CURRENT_LIST_DIR}/gui_responsiveness.cpp)
  target_link_libraries(gui_responsiveness PRIVATE sorvik_app sorvik_gui_harness)
  add_dependencies(gui_responsiveness sorvik-demo-market)
endif()

# The tracker window with a year of history, and its window thread during a
# check.
if(TARGET sorvik_tracker_ui AND TARGET sorvik_gui_harness)
  add_executable(tracker_bench ${CMAKE_CURRENT_LIST_DIR}/tracker_bench.cpp)
  target_link_libraries(tracker_bench PRIVATE sorvik_tracker_ui sorvik_gui_harness)
  add_dependencies(tracker_bench sorvik-demo-market)
endif()
