# The Debian packages that hold the QML modules a QML file needs: Qt's import scanner lists its
# imports and, through each module's qmldir, the modules those import in turn; dpkg names the
# package that owns each module's qmldir. The program's own modules (Tessaly.*) are registered in
# C++ and need none. Usable from a configure and, with -P, from a test.
function(tessaly_qml_module_packages qml_file out)
  find_program(TESSALY_QMLIMPORTSCANNER qmlimportscanner
    HINTS ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_LIBEXECS} /usr/lib/qt6/libexec REQUIRED)
  if(NOT TESSALY_QML_IMPORT_PATH)
    execute_process(COMMAND qtpaths6 --query QT_INSTALL_QML OUTPUT_VARIABLE TESSALY_QML_IMPORT_PATH
      OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  endif()
  execute_process(
    COMMAND ${TESSALY_QMLIMPORTSCANNER} -qmlFiles ${qml_file} -importPath ${TESSALY_QML_IMPORT_PATH}
    OUTPUT_VARIABLE modules ERROR_VARIABLE scanner_errors COMMAND_ERROR_IS_FATAL ANY)
  string(JSON count LENGTH "${modules}")
  set(packages "")
  if(count GREATER 0)
    math(EXPR last "${count} - 1")
    foreach(i RANGE ${last})
      string(JSON name GET "${modules}" ${i} name)
      if(name MATCHES "^Tessaly\\.")
        continue()
      endif()
      string(JSON path ERROR_VARIABLE no_path GET "${modules}" ${i} path)
      if(no_path)
        message(FATAL_ERROR "${qml_file} needs the QML module ${name}, which is not installed here, "
                            "so no package can be named for it (scripts/setup.sh installs it)")
      endif()
      execute_process(COMMAND dpkg-query -S ${path}/qmldir OUTPUT_VARIABLE owner RESULT_VARIABLE failed
        ERROR_QUIET)
      string(REGEX MATCH "^[^:,]+" package "${owner}")
      if(failed OR NOT package)
        message(FATAL_ERROR "No Debian package owns ${path}/qmldir (QML module ${name})")
      endif()
      list(APPEND packages ${package})
    endforeach()
  endif()
  list(REMOVE_DUPLICATES packages)
  list(SORT packages)
  set(${out} ${packages} PARENT_SCOPE)
endfunction()
