# vela-windows-x64.zip in the build folder: the programs, the examples and a
# README, in one folder of that name. Built with everything else.
set(VELA_PACKAGE_ROOT ${PROJECT_BINARY_DIR}/package)
set(VELA_PACKAGE_NAME vela-windows-x64)
set(VELA_PACKAGE_ZIP ${PROJECT_BINARY_DIR}/${VELA_PACKAGE_NAME}.zip)

set(VELA_PACKAGE_WINDOW_LINE "")
if(TARGET vela)
  set(VELA_PACKAGE_WINDOW_LINE "  vela.exe       the desktop program: shows the frame, solves it, draws the results\n")
endif()
configure_file(${PROJECT_SOURCE_DIR}/src/win32/resources/README.txt.in ${PROJECT_BINARY_DIR}/README-windows.txt @ONLY
               NEWLINE_STYLE CRLF)

set(package_programs $<TARGET_FILE:vela-cli>)
if(TARGET vela)
  list(APPEND package_programs $<TARGET_FILE:vela>)
endif()
file(GLOB package_examples CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/examples/*.txt)
set(package_dir ${VELA_PACKAGE_ROOT}/${VELA_PACKAGE_NAME})
add_custom_command(
  OUTPUT ${VELA_PACKAGE_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${package_dir} ${VELA_PACKAGE_ZIP}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${package_dir}/examples
  COMMAND ${CMAKE_COMMAND} -E copy ${package_programs} ${package_dir}/
  COMMAND ${CMAKE_COMMAND} -E copy ${package_examples} ${package_dir}/examples/
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_BINARY_DIR}/README-windows.txt ${package_dir}/README.txt
  # In a UTF-8 locale the archive marks its names as UTF-8, so that Windows
  # shows "综合算例.txt" rather than the bytes read in an OEM code page.
  COMMAND ${CMAKE_COMMAND} -E chdir ${VELA_PACKAGE_ROOT} ${CMAKE_COMMAND} -E env LC_ALL=C.UTF-8 ${CMAKE_COMMAND} -E
          tar cf ${VELA_PACKAGE_ZIP} --format=zip ${VELA_PACKAGE_NAME}
  DEPENDS vela-cli ${package_examples} ${PROJECT_BINARY_DIR}/README-windows.txt
  COMMENT "Packing ${VELA_PACKAGE_NAME}.zip"
  VERBATIM)
add_custom_target(windows-zip ALL DEPENDS ${VELA_PACKAGE_ZIP})
if(TARGET vela)
  add_dependencies(windows-zip vela)
endif()
