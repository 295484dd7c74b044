# The shipped programs have one version, the project's (project(... VERSION) above),
# and one product and company name, these: lumvox_version.h and each program's
# manifest are generated from them, and every version resource, the manifests,
# lumvox-send --version and the installer (through scripts/release.sh) read them.
set(LUMVOX_PRODUCT_NAME "Lumvox Workshop")
set(LUMVOX_COMPANY_NAME "Lumvox Workshop")
set(LUMVOX_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${PROJECT_SOURCE_DIR}/src/app/lumvox_version.h.in ${LUMVOX_GENERATED_DIR}/lumvox_version.h @ONLY)
add_library(lumvox_version INTERFACE)
target_include_directories(lumvox_version INTERFACE ${LUMVOX_GENERATED_DIR})

# Gives the program TARGET its version resource and manifest: its RC_FILE defines
# LUMVOX_FILE_DESCRIPTION and LUMVOX_MANIFEST_FILE ("TARGET.manifest") and then
# includes program_resources.rc.
function(lumvox_program_resources target rc_file)
  set(LUMVOX_ASSEMBLY_NAME ${target})
  set(manifest ${LUMVOX_GENERATED_DIR}/${target}.manifest)
  configure_file(${PROJECT_SOURCE_DIR}/src/app/program.manifest.in ${manifest} @ONLY)
  target_include_directories(${target} PRIVATE ${LUMVOX_GENERATED_DIR} ${PROJECT_SOURCE_DIR}/src/app)
  set_property(SOURCE ${rc_file} APPEND PROPERTY OBJECT_DEPENDS ${manifest}
    ${LUMVOX_GENERATED_DIR}/lumvox_version.h ${PROJECT_SOURCE_DIR}/src/app/program_resources.rc)
endfunction()
