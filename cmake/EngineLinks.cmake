# The engine must build and test without a desktop: no library of the engine and no headless tool links
# Widgets, D-Bus or GIO. pairsift_engine_link_check() writes every engine target's link closure at
# configure time and adds a test that reads it (and the headless harness's dynamic section) back.

set(PAIRSIFT_DESKTOP_ONLY_LINKS "Qt[0-9]*::Widgets" "Qt[0-9]*::DBus" "PkgConfig::GIO")
# Engine libraries still waiting to have their desktop service handed in (as the icon progress gets its
# tile): the removal runner calls the desktop Trash directly. Remove a name once its library is clean.
set(PAIRSIFT_ENGINE_LINK_PENDING pairsift_removal)

# Every library and tool that the link closure of `target` names, generator expressions unwrapped.
function(pairsift_link_closure target out)
  set(pending ${target})
  set(seen)
  while(pending)
    list(POP_FRONT pending current)
    if(current IN_LIST seen OR NOT TARGET ${current})
      continue()
    endif()
    list(APPEND seen ${current})
    get_target_property(type ${current} TYPE)
    get_target_property(imported ${current} IMPORTED)
    set(links)
    if(NOT imported AND NOT type STREQUAL "INTERFACE_LIBRARY")
      get_target_property(direct ${current} LINK_LIBRARIES)
      if(direct)
        list(APPEND links ${direct})
      endif()
    endif()
    get_target_property(interface ${current} INTERFACE_LINK_LIBRARIES)
    if(interface)
      list(APPEND links ${interface})
    endif()
    foreach(link IN LISTS links)
      string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" link "${link}")
      if(NOT link MATCHES "\\$<")
        list(APPEND pending ${link})
      endif()
    endforeach()
  endwhile()
  list(REMOVE_ITEM seen ${target})
  set(${out} ${seen} PARENT_SCOPE)
endfunction()

# The library targets defined under `directory` and its subdirectories.
function(pairsift_targets_below directory out)
  get_property(targets DIRECTORY ${directory} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirectories DIRECTORY ${directory} PROPERTY SUBDIRECTORIES)
  foreach(subdirectory IN LISTS subdirectories)
    pairsift_targets_below(${subdirectory} below)
    list(APPEND targets ${below})
  endforeach()
  set(${out} ${targets} PARENT_SCOPE)
endfunction()

function(pairsift_engine_link_check)
  pairsift_targets_below(${PROJECT_SOURCE_DIR}/src libraries)
  # Windows, shared widgets, the application and the desktop services themselves may link anything.
  list(FILTER libraries EXCLUDE REGEX "_views$|^pairsift_ui$|^pairsift_app|^pairsift_platform_desktop$|_autogen")
  list(REMOVE_ITEM libraries ${PAIRSIFT_ENGINE_LINK_PENDING})
  set(engine ${libraries})
  set(tool_arguments)
  if(TARGET pairsift-bench)
    list(APPEND engine pairsift-bench)
    set(tool_arguments -DTOOL=$<TARGET_FILE:pairsift-bench>)
  endif()
  set(closures)
  foreach(target IN LISTS engine)
    pairsift_link_closure(${target} closure)
    list(JOIN closure "," joined)
    string(APPEND closures "${target}=${joined}\n")
  endforeach()
  file(WRITE ${PROJECT_BINARY_DIR}/engine-links.txt "${closures}")
  add_test(NAME EngineLinks.noWidgetsDBusOrGio
    COMMAND ${CMAKE_COMMAND} -DCLOSURES=${PROJECT_BINARY_DIR}/engine-links.txt
            "-DFORBIDDEN=${PAIRSIFT_DESKTOP_ONLY_LINKS}" ${tool_arguments}
            -P ${PROJECT_SOURCE_DIR}/cmake/CheckEngineLinks.cmake)
endfunction()
