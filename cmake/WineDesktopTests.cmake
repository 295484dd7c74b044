# Tests under one wineserver share its top-level windows and its clipboard: any
# test that creates or looks for a window titled "Lumvox", or uses the clipboard,
# takes the same locks. They are set after discovery, on the names found, because
# a list value does not survive gtest_discover_tests' PROPERTIES.
function(lumvox_share_wine_desktop target)
  cmake_parse_arguments(ARG "" "TIMEOUT" "" ${ARGN})
  set(properties "RESOURCE_LOCK \"lumvox_window;clipboard\"")
  if(ARG_TIMEOUT)
    string(APPEND properties " TIMEOUT ${ARG_TIMEOUT}")
  endif()
  set(file ${CMAKE_CURRENT_BINARY_DIR}/${target}_desktop_locks.cmake)
  file(WRITE ${file}
    "foreach(test IN LISTS ${target}_TESTS)\n"
    "  set_tests_properties(\"\${test}\" PROPERTIES ${properties})\n"
    "endforeach()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${file})
endfunction()
