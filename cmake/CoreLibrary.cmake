# tessaly_core_library(name sources...): a library of the GUI-free core. It may link only the
# standard library (dl included), Threads, libcurl and other core libraries; anything else stops
# the configure.
function(tessaly_core_library name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  cmake_language(EVAL CODE "cmake_language(DEFER DIRECTORY [[${PROJECT_SOURCE_DIR}]] CALL _tessaly_check_core [[${name}]])")
endfunction()

function(_tessaly_check_core name)
  get_target_property(libs ${name} LINK_LIBRARIES)
  if(NOT libs)
    return() # links nothing at all
  endif()
  foreach(lib IN LISTS libs)
    if(NOT lib MATCHES "^(Threads::Threads|CURL::libcurl|tessaly_[a-z_]+|libcurl|pthread|dl|-.*)$")
      message(FATAL_ERROR "Core library ${name} links ${lib}; the core may link only the standard library, Threads and libcurl")
    endif()
  endforeach()
endfunction()
