# The icon and version resource of the Windows programs, compiled by windres.
enable_language(RC)

# Gives the target the console's icon and a version resource naming the file and describing it.
function(parlino_windows_resources target file_name description)
  # "05" would be read as an octal number by the resource compiler.
  math(EXPR major "${PROJECT_VERSION_MAJOR}")
  math(EXPR minor "${PROJECT_VERSION_MINOR}")
  set(icon ${PROJECT_SOURCE_DIR}/packaging/windows/parlino.ico)
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources.rc)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/version.rc.in ${rc} @ONLY)
  # The compiler does not report the icon as a dependency.
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${icon})
  target_sources(${target} PRIVATE ${rc})
endfunction()
