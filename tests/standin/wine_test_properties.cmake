# The stand-in owns a "Lumvox" window and reads the clipboard of the shared
# test prefix: it takes the same locks as every other test that uses either.
foreach(test IN LISTS lumvox_standin_wine_tests_TESTS)
  set_tests_properties("${test}" PROPERTIES RESOURCE_LOCK "lumvox_window;clipboard" TIMEOUT 300)
endforeach()
