# The Windows folder the zip and the installer carry: the program and its console twin, the Qt
# libraries and plugins it loads, the MinGW runtime, Qt's Chinese texts, licences and a read-me.
# Qt stays in its own DLLs (LGPL-3: a user may put in another build of it).
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
    GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
install(TARGETS tickora tickora-console RUNTIME DESTINATION .)
install(FILES $<TARGET_FILE:Qt6::Core> $<TARGET_FILE:Qt6::Gui> $<TARGET_FILE:Qt6::Widgets>
        DESTINATION .)
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION platforms)
install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> DESTINATION styles)

# The compiler's own runtime, which Qt's DLLs need as well.
foreach(runtime libgcc_s_seh-1.dll libstdc++-6.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtime}
                  OUTPUT_VARIABLE runtime_path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT EXISTS "${runtime_path}")
    message(FATAL_ERROR "The MinGW runtime ${runtime} is not where the compiler says")
  endif()
  install(FILES ${runtime_path} DESTINATION .)
endforeach()

# Qt's translations are the same files on every system; the Linux ones are used.
find_file(TICKORA_QT_ZH_CN qtbase_zh_CN.qm PATHS ${QT_HOST_PATH}/share/qt6/translations
          NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
install(FILES ${TICKORA_QT_ZH_CN} DESTINATION translations)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/windows/qt.conf DESTINATION .)

# Texts a Windows editor opens as they are: CRLF, and the Chinese read-me with a UTF-8 mark.
function(tickora_install_text source name)
  file(READ ${source} text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${PROJECT_BINARY_DIR}/windows-text/${name} "${ARGN}${text}")
  install(FILES ${PROJECT_BINARY_DIR}/windows-text/${name} DESTINATION ${TICKORA_TEXT_DIR})
endfunction()
set(TICKORA_TEXT_DIR .)
configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/readme.txt.in
               ${PROJECT_BINARY_DIR}/windows-readme.txt @ONLY)
string(ASCII 239 187 191 utf8_mark)
tickora_install_text(${PROJECT_BINARY_DIR}/windows-readme.txt 读我.txt ${utf8_mark})
tickora_install_text(${PROJECT_SOURCE_DIR}/LICENSE LICENSE.txt)
set(TICKORA_TEXT_DIR licenses)
tickora_install_text(${PROJECT_SOURCE_DIR}/packaging/windows/licenses.txt README.txt)
tickora_install_text(/usr/share/common-licenses/LGPL-3 LGPL-3.0.txt)
tickora_install_text(/usr/share/common-licenses/GPL-3 GPL-3.0.txt)
tickora_install_text(/usr/share/doc/gcc-mingw-w64-base/copyright MinGW-GCC-runtime.txt)
tickora_install_text(/usr/share/doc/mingw-w64-common/copyright MinGW-w64-winpthreads.txt)
