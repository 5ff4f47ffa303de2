# What makes the two programs Windows programs, and what runs the Windows test programs here.
# Included by the top CMakeLists.txt when building for Windows.

# What differs between the two builds (TAMRIX_WINDOWS_ARCH, cmake/windows-toolchain.cmake): the
# MinGW runtime the programs and Qt's DLLs were built against, shipped beside them (x86: DWARF-2
# exceptions, and no stack protector in Qt's DLLs); Qt's style plugin for the native look; the
# Windows the manifest names; and where Qt keeps its DLLs. Default: a build for x64 without
# cmake/windows-toolchain.cmake, such as a native one.
if(NOT TAMRIX_WINDOWS_ARCH)
  set(TAMRIX_WINDOWS_ARCH x64)
endif()
if(TAMRIX_WINDOWS_ARCH STREQUAL "x86")
  set(runtime_dlls libgcc_s_dw2-1.dll libstdc++-6.dll libwinpthread-1.dll)
  set(TAMRIX_WINDOWS_STYLE_PLUGIN Qt5::QWindowsVistaStylePlugin)
  set(qt_dlls "${TAMRIX_WINDOWS_QT}/bin")
  # Windows 7, 8, 8.1, and 10 and 11, which share an id.
  set(TAMRIX_MANIFEST_ARCH x86)
  set(TAMRIX_MANIFEST_OS_IDS 35138b9a-5d96-4fbd-8e2d-a2440225f93a 4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38
                             1f676c76-80e1-4239-95bb-83d0f6d0da78 8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a)
  # Qt 5 scales each monitor by itself as Windows 8.1 first offered it (per-monitor, version 1);
  # Windows 7 reads "true/pm" as system-wide awareness.
  set(TAMRIX_MANIFEST_DPI_AWARENESS PerMonitor)
else()
  set(runtime_dlls libgcc_s_seh-1.dll libstdc++-6.dll libssp-0.dll libwinpthread-1.dll)
  set(TAMRIX_WINDOWS_STYLE_PLUGIN Qt6::QModernWindowsStylePlugin)
  set(qt_dlls "${TAMRIX_WINDOWS_QT}/mingw64/bin")
  set(TAMRIX_MANIFEST_ARCH amd64)
  set(TAMRIX_MANIFEST_OS_IDS 8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a)
  set(TAMRIX_MANIFEST_DPI_AWARENESS PerMonitorV2)
endif()
set(TAMRIX_MANIFEST_SUPPORTED_OS "")
foreach(id IN LISTS TAMRIX_MANIFEST_OS_IDS)
  string(APPEND TAMRIX_MANIFEST_SUPPORTED_OS "\n      <supportedOS Id=\"{${id}}\"/>")
endforeach()

set(TAMRIX_MINGW_RUNTIME_DLLS)
foreach(dll IN LISTS runtime_dlls)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  get_filename_component(path "${path}" REALPATH)
  if(NOT EXISTS "${path}")
    message(FATAL_ERROR "${CMAKE_CXX_COMPILER} knows no ${dll}")
  endif()
  list(APPEND TAMRIX_MINGW_RUNTIME_DLLS "${path}")
endforeach()

# The version as Windows' resources want it, four numbers: 2.2 is 2,2,0,0.
set(version_numbers ${PROJECT_VERSION_MAJOR} ${PROJECT_VERSION_MINOR})
foreach(part PATCH TWEAK)
  if("${PROJECT_VERSION_${part}}" STREQUAL "")
    list(APPEND version_numbers 0)
  else()
    list(APPEND version_numbers ${PROJECT_VERSION_${part}})
  endif()
endforeach()
list(JOIN version_numbers "," TAMRIX_VERSION_QUAD)
list(JOIN version_numbers "." TAMRIX_VERSION_QUAD_DOTS)

# The uninstaller the installer leaves beside the programs; its presence tells an installed
# Tamrix from the portable one.
set(TAMRIX_WINDOWS_UNINSTALLER uninstall.exe)

# Built here, the Windows test programs run under Wine (tests/CMakeLists.txt), with Qt's and
# the compiler's DLLs on their path and a Wine prefix of the build's own.
if(CMAKE_CROSSCOMPILING)
  set(dll_folders "Z:${qt_dlls}")
  foreach(dll IN LISTS TAMRIX_MINGW_RUNTIME_DLLS)
    get_filename_component(folder "${dll}" DIRECTORY)
    list(APPEND dll_folders "Z:${folder}")
  endforeach()
  list(REMOVE_DUPLICATES dll_folders)
  list(JOIN dll_folders "\\;" wine_path)
  set(TAMRIX_WINDOWS_TEST_ENVIRONMENT "WINEPATH=${wine_path};WINEPREFIX=${CMAKE_BINARY_DIR}/wine")
  if(TAMRIX_WINDOWS_ARCH STREQUAL "x86")
    # The oldest Windows the build is for: a 32-bit prefix that reports Windows 7 (tools/wine-run).
    string(APPEND TAMRIX_WINDOWS_TEST_ENVIRONMENT ";WINEARCH=win32;TAMRIX_WINE_VERSION=win7")
  endif()
endif()

# The icon Windows shows for both programs (Explorer, the taskbar, the Start menu), made from
# the renderings of the project's icon by icoutils' icotool; the 256-pixel one stays a PNG, as
# Windows keeps it.
find_program(TAMRIX_ICOTOOL icotool REQUIRED)
set(tamrix_ico ${CMAKE_BINARY_DIR}/generated/tamrix.ico)
set(ico_pngs)
foreach(size IN LISTS TAMRIX_ICON_SIZES)
  if(size LESS 256)
    list(APPEND ico_pngs ${PROJECT_SOURCE_DIR}/packaging/icons/tamrix-${size}.png)
  endif()
endforeach()
add_custom_command(OUTPUT ${tamrix_ico}
  COMMAND ${TAMRIX_ICOTOOL} --create --output=${tamrix_ico} ${ico_pngs}
          --raw=${PROJECT_SOURCE_DIR}/packaging/icons/tamrix-256.png
  DEPENDS ${ico_pngs} ${PROJECT_SOURCE_DIR}/packaging/icons/tamrix-256.png
  VERBATIM)
add_custom_target(tamrix_ico DEPENDS ${tamrix_ico})

# tamrix_windows_program(TARGET DESCRIPTION): the icon, a version resource with DESCRIPTION,
# and the manifest (the Windows the build is for, long paths, DPI awareness as Qt expects).
function(tamrix_windows_program target description)
  set(TAMRIX_FILE_NAME ${target}.exe)
  set(TAMRIX_FILE_DESCRIPTION "${description}")
  set(TAMRIX_ICO ${tamrix_ico})
  set(TAMRIX_MANIFEST ${CMAKE_BINARY_DIR}/generated/tamrix.manifest)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/tamrix.manifest.in ${TAMRIX_MANIFEST} @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/program.rc.in ${CMAKE_BINARY_DIR}/generated/${target}.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_BINARY_DIR}/generated/${target}.rc)
  set_source_files_properties(${CMAKE_BINARY_DIR}/generated/${target}.rc PROPERTIES
                              OBJECT_DEPENDS "${tamrix_ico};${TAMRIX_MANIFEST}")
  add_dependencies(${target} tamrix_ico)
endfunction()
