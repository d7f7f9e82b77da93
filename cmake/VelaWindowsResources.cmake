# vela_windows_resources(TARGET NAME DESCRIPTION [WINDOW])
#
# Gives a Windows program its icon (resource 101), its application manifest
# (UTF-8 as the ANSI code page, per-monitor DPI awareness, long paths,
# asInvoker) and its version information, from the shared pieces in
# src/win32/resources/. NAME is the program's file name without ".exe";
# WINDOW marks a program with windows, whose manifest also asks for version 6
# of the common controls (visual styles, the list view of the results).
set(VELA_WINDOWS_RESOURCES_DIR ${PROJECT_SOURCE_DIR}/src/win32/resources)

function(vela_windows_resources target name description)
  cmake_parse_arguments(PARSE_ARGV 3 arg "WINDOW" "" "")
  set(VELA_RC_NAME ${name})
  set(VELA_RC_DESCRIPTION ${description})
  set(VELA_RC_RESOURCES_DIR ${VELA_WINDOWS_RESOURCES_DIR})
  set(VELA_RC_VERSION4 "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0")
  set(VELA_RC_VERSION_COMMAS "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},0")
  set(VELA_RC_MANIFEST_DEPENDENCIES "")
  if(arg_WINDOW)
    string(CONCAT VELA_RC_MANIFEST_DEPENDENCIES
      "  <dependency>\n"
      "    <dependentAssembly>\n"
      "      <assemblyIdentity type=\"win32\" name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"\n"
      "                        processorArchitecture=\"*\" publicKeyToken=\"6595b64144ccf1df\" language=\"*\"/>\n"
      "    </dependentAssembly>\n"
      "  </dependency>\n")
  endif()
  set(VELA_RC_MANIFEST ${CMAKE_CURRENT_BINARY_DIR}/${name}.manifest)
  configure_file(${VELA_WINDOWS_RESOURCES_DIR}/vela.manifest.in ${VELA_RC_MANIFEST} @ONLY)
  configure_file(${VELA_WINDOWS_RESOURCES_DIR}/vela.rc.in ${CMAKE_CURRENT_BINARY_DIR}/${name}.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${name}.rc)
  # The resource compiler does not see the manifest and the icon as inputs.
  set_property(SOURCE ${CMAKE_CURRENT_BINARY_DIR}/${name}.rc APPEND PROPERTY OBJECT_DEPENDS
               ${VELA_RC_MANIFEST} ${VELA_WINDOWS_RESOURCES_DIR}/vela.ico ${VELA_WINDOWS_RESOURCES_DIR}/ResourceIds.h)
endfunction()
