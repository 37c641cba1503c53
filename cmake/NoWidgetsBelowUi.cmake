# zaro_check_no_widgets(target...): fails the configuration when one of the
# targets links Qt6::Widgets, directly or through the libraries it links.
# The back end stays usable from tests, tools and the future windows alike
# without pulling the widgets library in.

function(_zaro_collect_links target out)
  set(seen ${${out}})
  if(target IN_LIST seen)
    return()
  endif()
  list(APPEND seen ${target})
  set(links)
  get_target_property(type ${target} TYPE)
  if(NOT type STREQUAL "INTERFACE_LIBRARY")
    get_target_property(direct ${target} LINK_LIBRARIES)
    if(direct)
      list(APPEND links ${direct})
    endif()
  endif()
  get_target_property(interface ${target} INTERFACE_LINK_LIBRARIES)
  if(interface)
    list(APPEND links ${interface})
  endif()
  foreach(link IN LISTS links)
    # Static libraries record their private links as $<LINK_ONLY:name>.
    string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" link "${link}")
    if(TARGET ${link})
      _zaro_collect_links(${link} seen)
    endif()
  endforeach()
  set(${out} ${seen} PARENT_SCOPE)
endfunction()

function(zaro_check_no_widgets)
  foreach(target IN LISTS ARGN)
    set(reached)
    _zaro_collect_links(${target} reached)
    if(Qt6::Widgets IN_LIST reached)
      message(FATAL_ERROR
        "${target} links Qt6::Widgets; only the interface targets (ui/, *_views, the controller) may.")
    endif()
  endforeach()
endfunction()
