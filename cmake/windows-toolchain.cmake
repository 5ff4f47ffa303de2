# Cross-builds Tamrix for Windows with Debian's MinGW-w64 (POSIX threads), against a Qt for
# Windows built with the same compiler: the `windows` and `windows-x86` presets of
# CMakePresets.json. TAMRIX_WINDOWS_ARCH says which:
#   x64  64-bit Windows 10 and 11, Qt 6 (../shared/windows-qt/)
#   x86  Windows 7 SP1 to 11, 32- or 64-bit, Qt 5.15 (../shared/windows-qt5/), built with
#        _WIN32_WINNT and WINVER at 0x0601, so the Windows headers offer nothing newer
#
# The Qt comes from one place, TAMRIX_WINDOWS_QT (a cache variable, or the environment variable
# TAMRIX_WINDOWS_QT for x64 and TAMRIX_WINDOWS_QT5 for x86): the folder the archive unpacks into.
# By default it is the archive TAMRIX_WINDOWS_QT_ARCHIVE, unpacked into the build folder the
# first time.

set(TAMRIX_WINDOWS_ARCH x64 CACHE STRING "The Windows to build for: x64 (Qt 6) or x86 (Qt 5.15)")
if(TAMRIX_WINDOWS_ARCH STREQUAL "x86")
  set(default_archive "${CMAKE_CURRENT_LIST_DIR}/../../shared/windows-qt5/windows-qt5-5.15.8-i686.tar.xz")
  set(qt_environment TAMRIX_WINDOWS_QT5)
  # The archive's own toolchain file: the i686 compilers, this Qt's find paths, Windows 7's
  # _WIN32_WINNT and WINVER.
  set(qt_toolchain_in_folder mingw-w64-i686.cmake)
elseif(TAMRIX_WINDOWS_ARCH STREQUAL "x64")
  set(default_archive "${CMAKE_CURRENT_LIST_DIR}/../../shared/windows-qt/windows-qt-6.8.0.tar.xz")
  set(qt_environment TAMRIX_WINDOWS_QT)
  # Qt's own toolchain file: the compilers, Qt's find paths, and the host tools (moc, rcc) that
  # run on this machine.
  set(qt_toolchain_in_folder mingw64/lib/cmake/Qt6/qt.toolchain.cmake)
else()
  message(FATAL_ERROR "TAMRIX_WINDOWS_ARCH is x64 or x86, not \"${TAMRIX_WINDOWS_ARCH}\"")
endif()

set(TAMRIX_WINDOWS_QT_ARCHIVE "${default_archive}"
    CACHE FILEPATH "The archive of Qt for Windows that TAMRIX_WINDOWS_QT is unpacked from")
get_filename_component(TAMRIX_WINDOWS_QT_ARCHIVE "${TAMRIX_WINDOWS_QT_ARCHIVE}" ABSOLUTE)
if(NOT TAMRIX_WINDOWS_QT AND DEFINED ENV{${qt_environment}})
  set(TAMRIX_WINDOWS_QT "$ENV{${qt_environment}}")
endif()
if(NOT TAMRIX_WINDOWS_QT)
  get_filename_component(archive_name "${TAMRIX_WINDOWS_QT_ARCHIVE}" NAME)
  string(REGEX REPLACE "\\.tar\\.[a-z0-9]+$" "" folder_name "${archive_name}")
  set(TAMRIX_WINDOWS_QT "${CMAKE_BINARY_DIR}/${folder_name}")
endif()
set(TAMRIX_WINDOWS_QT "${TAMRIX_WINDOWS_QT}" CACHE PATH "Qt for Windows: the folder the archive unpacks into")
# The compiler checks run in folders of their own; they need the same Qt.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TAMRIX_WINDOWS_ARCH TAMRIX_WINDOWS_QT)

set(qt_toolchain "${TAMRIX_WINDOWS_QT}/${qt_toolchain_in_folder}")
if(NOT EXISTS "${qt_toolchain}")
  if(NOT EXISTS "${TAMRIX_WINDOWS_QT_ARCHIVE}")
    message(FATAL_ERROR "No Qt for Windows in ${TAMRIX_WINDOWS_QT}, and no archive at ${TAMRIX_WINDOWS_QT_ARCHIVE} "
                        "to unpack it from. Set TAMRIX_WINDOWS_QT or TAMRIX_WINDOWS_QT_ARCHIVE.")
  endif()
  get_filename_component(unpack_into "${TAMRIX_WINDOWS_QT}" DIRECTORY)
  message(STATUS "Unpacking ${TAMRIX_WINDOWS_QT_ARCHIVE} into ${unpack_into}")
  file(MAKE_DIRECTORY "${unpack_into}")
  file(ARCHIVE_EXTRACT INPUT "${TAMRIX_WINDOWS_QT_ARCHIVE}" DESTINATION "${unpack_into}")
  if(NOT EXISTS "${qt_toolchain}")
    message(FATAL_ERROR "${TAMRIX_WINDOWS_QT_ARCHIVE} holds no ${qt_toolchain}")
  endif()
endif()

if(TAMRIX_WINDOWS_ARCH STREQUAL "x64")
  set(QT_HOST_PATH "${TAMRIX_WINDOWS_QT}/host" CACHE PATH "Qt's host tools for the cross build")
endif()
include("${qt_toolchain}")
