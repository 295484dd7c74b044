# The programs' icons, drawn by packaging/make_icon.py into the build tree: a .rc
# that says `1 ICON "lumvox.ico"` (the workshop's) or `1 ICON "lumvox-standin.ico"`
# finds it through LUMVOX_ICON_DIR.
find_program(LUMVOX_PYTHON NAMES python3 REQUIRED)
set(LUMVOX_ICON_DIR ${CMAKE_BINARY_DIR}/icon)
set(LUMVOX_ICON ${LUMVOX_ICON_DIR}/lumvox.ico)
set(LUMVOX_STANDIN_ICON ${LUMVOX_ICON_DIR}/lumvox-standin.ico)
set(LUMVOX_WELCOME_BITMAP ${LUMVOX_ICON_DIR}/welcome.bmp)  # the installer's side picture
file(MAKE_DIRECTORY ${LUMVOX_ICON_DIR})
add_custom_command(OUTPUT ${LUMVOX_ICON} ${LUMVOX_STANDIN_ICON} ${LUMVOX_WELCOME_BITMAP}
  COMMAND ${LUMVOX_PYTHON} ${PROJECT_SOURCE_DIR}/packaging/make_icon.py ${LUMVOX_ICON}
  COMMAND ${LUMVOX_PYTHON} ${PROJECT_SOURCE_DIR}/packaging/make_icon.py --standin ${LUMVOX_STANDIN_ICON}
  COMMAND ${LUMVOX_PYTHON} ${PROJECT_SOURCE_DIR}/packaging/make_icon.py --welcome ${LUMVOX_WELCOME_BITMAP}
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/make_icon.py
  COMMENT "Drawing the application icons")
add_custom_target(lumvox_icon DEPENDS ${LUMVOX_ICON} ${LUMVOX_STANDIN_ICON} ${LUMVOX_WELCOME_BITMAP})

# Gives TARGET the icons: its .rc source RC_FILE is rebuilt when they change.
function(lumvox_use_icon target rc_file)
  add_dependencies(${target} lumvox_icon)
  target_include_directories(${target} PRIVATE ${LUMVOX_ICON_DIR})
  set_property(SOURCE ${rc_file} APPEND PROPERTY OBJECT_DEPENDS ${LUMVOX_ICON} ${LUMVOX_STANDIN_ICON})
endfunction()
