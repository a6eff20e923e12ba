# The program's layers from the ground up, the folders each one owns, and what each may link: other
# layers (always lower ones) and outside libraries. Every library built in a layer's folder is held
# to its row when the configure ends, and cmake/CheckLayerIncludes.cmake holds every #include to the
# same rows, so no file reaches up.
#
# The GUI-free layers (base to download) link no Qt: they also build and test alone (TESSALY_GUI=OFF).
set(_tessaly_layers "")

# tessaly_layer(name FOLDERS folder... [LAYERS layer...] [LIBRARIES library...])
function(tessaly_layer name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "FOLDERS;LAYERS;LIBRARIES")
  foreach(layer IN LISTS arg_LAYERS)
    if(NOT layer IN_LIST _tessaly_layers)
      message(FATAL_ERROR "Layer ${name} names ${layer}, which is not a layer below it")
    endif()
  endforeach()
  set(_tessaly_layers ${_tessaly_layers} ${name} PARENT_SCOPE)
  set(_tessaly_layer_${name}_folders ${arg_FOLDERS} PARENT_SCOPE)
  set(_tessaly_layer_${name}_layers ${arg_LAYERS} PARENT_SCOPE)
  set(_tessaly_layer_${name}_libraries ${arg_LIBRARIES} PARENT_SCOPE)
endfunction()

set(_qt_pages Qt6::Core Qt6::Gui Qt6::Widgets)
set(_qt_movie Qt6::Quick Qt6::QuickWidgets Qt6::Qml Qt6::Multimedia)

#             layer          folders                 may link
tessaly_layer(base           FOLDERS base)
tessaly_layer(pattern        FOLDERS pattern         LAYERS base)
tessaly_layer(settings       FOLDERS settings        LAYERS base)
tessaly_layer(download       FOLDERS download/core   LAYERS base pattern settings
                                                     LIBRARIES Threads::Threads dl)
tessaly_layer(ui             FOLDERS ui              LIBRARIES ${_qt_pages})
tessaly_layer(res            FOLDERS res             LIBRARIES Qt6::Core Qt6::Gui)
tessaly_layer(media          FOLDERS media           LAYERS ui LIBRARIES ${_qt_pages})
tessaly_layer(controls       FOLDERS controls        LAYERS ui LIBRARIES ${_qt_pages})
tessaly_layer(download_page  FOLDERS download/page   LAYERS download settings ui res media controls
                                                     LIBRARIES ${_qt_pages})
tessaly_layer(player         FOLDERS player          LAYERS download settings ui res controls
                                                     LIBRARIES ${_qt_pages} ${_qt_movie})
tessaly_layer(media_module   FOLDERS player/module   LAYERS player media LIBRARIES ${_qt_pages} ${_qt_movie})
tessaly_layer(webstrip       FOLDERS app/webstrip    LAYERS ui res
                                                     LIBRARIES ${_qt_pages} Qt6::Network)
tessaly_layer(app            FOLDERS app             LAYERS download settings ui res media controls download_page player webstrip
                                                     LIBRARIES ${_qt_pages} Qt6::DBus Fontconfig::Fontconfig)

# The layer whose folder holds path (relative to the source tree; the longest folder wins), or "".
function(tessaly_layer_of path out)
  set(best "")
  set(best_length 0)
  foreach(layer IN LISTS _tessaly_layers)
    foreach(folder IN LISTS _tessaly_layer_${layer}_folders)
      string(LENGTH "${folder}/" length)
      string(SUBSTRING "${path}/" 0 ${length} head)
      if(head STREQUAL "${folder}/" AND length GREATER best_length)
        set(best ${layer})
        set(best_length ${length})
      endif()
    endforeach()
  endforeach()
  set(${out} "${best}" PARENT_SCOPE)
endfunction()

# Every layer the given one reaches through its row, itself included: the headers it may include.
function(tessaly_layers_below layer out)
  set(reached ${layer})
  set(queue ${layer})
  while(queue)
    list(POP_FRONT queue current)
    foreach(next IN LISTS _tessaly_layer_${current}_layers)
      if(NOT next IN_LIST reached)
        list(APPEND reached ${next})
        list(APPEND queue ${next})
      endif()
    endforeach()
  endwhile()
  set(${out} ${reached} PARENT_SCOPE)
endfunction()

# Call once from the top CMakeLists.txt: holds every library of every layer folder to its row once
# all targets exist.
function(tessaly_check_layers)
  cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL _tessaly_check_layers_of ${PROJECT_SOURCE_DIR})
endfunction()

function(_tessaly_check_layers_of dir)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    _tessaly_check_target(${target})
  endforeach()
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdir IN LISTS subdirs)
    _tessaly_check_layers_of(${subdir})
  endforeach()
endfunction()

function(_tessaly_check_target target)
  get_target_property(type ${target} TYPE)
  if(NOT type MATCHES "^(STATIC|SHARED|MODULE)_LIBRARY$")
    return()
  endif()
  get_target_property(source_dir ${target} SOURCE_DIR)
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${source_dir})
  tessaly_layer_of("${folder}" layer)
  if(NOT layer)
    return() # tests, tools, benchmarks: no layer of the program
  endif()
  set(allowed ${_tessaly_layer_${layer}_libraries})
  get_target_property(links ${target} LINK_LIBRARIES)
  foreach(link IN LISTS links)
    if(NOT link OR link IN_LIST allowed OR link MATCHES "^(-|\\$<)")
      continue() # linker options and the objects of Qt's resource libraries
    endif()
    if(TARGET ${link})
      get_target_property(link_dir ${link} SOURCE_DIR)
      file(RELATIVE_PATH link_folder ${PROJECT_SOURCE_DIR} ${link_dir})
      tessaly_layer_of("${link_folder}" link_layer)
      # A library of the same layer, or of a layer the row names.
      if(link_layer STREQUAL layer OR link_layer IN_LIST _tessaly_layer_${layer}_layers)
        continue()
      endif()
    endif()
    message(FATAL_ERROR "Library ${target} of layer ${layer} links ${link}; "
                        "layer ${layer} may link the layers [${_tessaly_layer_${layer}_layers}] "
                        "and [${_tessaly_layer_${layer}_libraries}] (cmake/Layers.cmake)")
  endforeach()
endfunction()
