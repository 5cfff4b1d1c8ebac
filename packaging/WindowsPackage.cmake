# The Windows packages: an NSIS installer (tablewright-<version>-win64.exe)
# and a ZIP of the same files for unzip-and-run. The program sits in bin\
# with the Qt and MinGW run-time libraries beside it and the Qt plugins in
# their folders there; the help pages in share\tablewright, where the program
# looks for them. cpack -G NSIS or -G ZIP in the build folder.

# Qt's libraries and the plugins the program loads: the window system, and
# the native look.
foreach(library Core Gui Widgets)
  install(FILES $<TARGET_FILE:Qt6::${library}> DESTINATION ${CMAKE_INSTALL_BINDIR})
endforeach()
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION ${CMAKE_INSTALL_BINDIR}/platforms)
if(TARGET Qt6::QWindowsVistaStylePlugin)
  install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> DESTINATION ${CMAKE_INSTALL_BINDIR}/styles)
endif()

# The compiler's run-time libraries, where the compiler itself finds them.
foreach(library libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${library}
                  OUTPUT_VARIABLE TW_RUNTIME_LIBRARY OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${TW_RUNTIME_LIBRARY}")
    message(FATAL_ERROR "The compiler does not find its run-time library ${library}")
  endif()
  install(FILES ${TW_RUNTIME_LIBRARY} DESTINATION ${CMAKE_INSTALL_BINDIR})
endforeach()

install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_CURRENT_SOURCE_DIR}/changelog DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_PACKAGE_NAME tablewright)
set(CPACK_PACKAGE_VENDOR Quillmoor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "move tables from Microsoft SQL Server into an Oracle schema")
set(CPACK_PACKAGE_FILE_NAME tablewright-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Tablewright)
set(CPACK_STRIP_FILES ON)
# The Start-menu entry: bin\tablewright.exe as "Tablewright".
set(CPACK_PACKAGE_EXECUTABLES tablewright Tablewright)
set(CPACK_NSIS_EXECUTABLES_DIRECTORY ${CMAKE_INSTALL_BINDIR})
set(CPACK_NSIS_DISPLAY_NAME Tablewright)
set(CPACK_NSIS_PACKAGE_NAME "Tablewright ${PROJECT_VERSION}")
set(CPACK_NSIS_INSTALLED_ICON_NAME ${CMAKE_INSTALL_BINDIR}/tablewright.exe)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_GENERATOR NSIS ZIP)
include(CPack)
