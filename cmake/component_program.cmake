# Programs that belong to one component: bench/ and fuzz/ name each source
# <component>_<name>_*.cpp, and the program links that component.
set(SONAVEX_COMPONENT_LINK_middleware qm3middle_obj platform midibytes)
set(SONAVEX_COMPONENT_LINK_platform platform)
set(SONAVEX_COMPONENT_LINK_midi midibytes)
set(SONAVEX_COMPONENT_LINK_driver cvusb_obj platform)
set(SONAVEX_COMPONENT_LINK_module corvane_module platform midibytes)
set(SONAVEX_COMPONENT_LINK_cli cli_script)
set(SONAVEX_COMPONENT_LINK_content content_core)
set(SONAVEX_COMPONENT_LINK_tools install_tools platform)
set(SONAVEX_COMPONENT_LINK_app sonavex_app)
set(SONAVEX_COMPONENT_LINK_appcore sonavex_app_core)

# Adds program `name` from `src` linked against its component; sets
# `out_created` to FALSE when the component is not part of this build.
function(sonavex_component_program name src out_created)
  string(REGEX MATCH "^[a-z]+" component ${name})
  set(libs ${SONAVEX_COMPONENT_LINK_${component}})
  foreach(lib IN LISTS libs)
    if(NOT TARGET ${lib})
      set(${out_created} FALSE PARENT_SCOPE)
      return()
    endif()
  endforeach()
  add_executable(${name} ${src})
  if(component STREQUAL "middleware")
    # The objects themselves, so the program reaches internal functions.
    list(REMOVE_ITEM libs qm3middle_obj)
    target_sources(${name} PRIVATE $<TARGET_OBJECTS:qm3middle_obj>)
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/middleware
                                               ${CMAKE_SOURCE_DIR}/middleware/include)
  endif()
  target_link_libraries(${name} PRIVATE ${libs})
  target_compile_definitions(${name} PRIVATE SONAVEX_DATA_DIR="${SONAVEX_DATA_DIR}")
  set(${out_created} TRUE PARENT_SCOPE)
endfunction()
