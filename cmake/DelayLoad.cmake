# Windows looks for an imported library that is not on its KnownDLLs list in the
# program's own folder first, before System32: a DLL planted beside the exe (in
# Downloads, say) would run at start-up. These libraries are therefore imported
# through delay-load libraries: each is loaded at its first call, after the entry
# point has restricted the search to System32 (see platform/dll_search_win.h).
# VERSION is loaded at run time instead (platform/hostinfo_win.cpp). The .def files under cmake/delay-load/ list the functions the programs use; a
# new function from one of these libraries is added there.
find_program(LUMVOX_DLLTOOL NAMES x86_64-w64-mingw32-dlltool REQUIRED)

# Made when CMake configures (a few milliseconds each), again when a .def changes.
function(lumvox_delay_load_library name)
  set(def ${PROJECT_SOURCE_DIR}/cmake/delay-load/${name}.def)
  set(lib ${CMAKE_BINARY_DIR}/delay-load/lib${name}_delay.a)
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/delay-load)
  execute_process(
    COMMAND ${LUMVOX_DLLTOOL} --input-def ${def} --output-delaylib ${lib} --dllname ${name}.dll
    RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "dlltool could not make ${lib}")
  endif()
  set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${def})
  add_library(lumvox_delay_${name} INTERFACE)
  target_link_libraries(lumvox_delay_${name} INTERFACE ${lib})
endfunction()

foreach(name uxtheme comctl32 mswsock)
  lumvox_delay_load_library(${name})
endforeach()
