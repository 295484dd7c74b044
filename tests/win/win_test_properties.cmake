# Runs after the discovery of lumvox_win_tests, on the names it found.
foreach(test IN LISTS lumvox_win_tests_TESTS)
  set_tests_properties("${test}" PROPERTIES RESOURCE_LOCK "lumvox_window;clipboard")
endforeach()
