# lvx_add_resources(TARGET LIST [SEARCH dirs...])
# Compiles the module's resource list with rescomp into a generated source
# that is built into TARGET; the module then registers its resources with the
# Windows stand-in whenever it is loaded. Files named in the list resolve
# against the list's folder, then the SEARCH folders (for files generated
# during the build). Every file the list names is a dependency.
function(lvx_add_resources target list)
  cmake_parse_arguments(R "" "" "SEARCH" ${ARGN})
  get_filename_component(list_path ${list} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  set(out ${LVX_GEN_DIR}/${target}_resources.cpp)
  set(dep ${LVX_GEN_DIR}/${target}_resources.d)
  set(search_args)
  foreach(dir IN LISTS R_SEARCH)
    get_filename_component(dir_path ${dir} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_BINARY_DIR})
    list(APPEND search_args --search ${dir_path})
  endforeach()
  add_custom_command(
    OUTPUT ${out}
    COMMAND rescomp --output ${out} --depfile ${dep} ${search_args} ${list_path}
    DEPENDS rescomp ${list_path}
    DEPFILE ${dep}
    COMMENT "Compiling resources of ${target}"
    VERBATIM)
  target_sources(${target} PRIVATE ${out})
  target_link_libraries(${target} PRIVATE LvxWin32)
endfunction()
