# Cross-builds Tamrix for 64-bit Windows with Debian's MinGW-w64 (POSIX threads), against a Qt
# for Windows built with the same compiler: the `windows` preset of CMakePresets.json.
#
# The Qt comes from one place, TAMRIX_WINDOWS_QT (a cache or environment variable): a folder
# holding that Qt's `mingw64/` and its host tools' `host/`. By default it is the archive
# TAMRIX_WINDOWS_QT_ARCHIVE, unpacked into the build folder the first time.

set(TAMRIX_WINDOWS_QT_ARCHIVE "${CMAKE_CURRENT_LIST_DIR}/../../shared/windows-qt/windows-qt-6.8.0.tar.xz"
    CACHE FILEPATH "The archive of Qt for Windows that TAMRIX_WINDOWS_QT is unpacked from")
get_filename_component(TAMRIX_WINDOWS_QT_ARCHIVE "${TAMRIX_WINDOWS_QT_ARCHIVE}" ABSOLUTE)
if(NOT TAMRIX_WINDOWS_QT AND DEFINED ENV{TAMRIX_WINDOWS_QT})
  set(TAMRIX_WINDOWS_QT "$ENV{TAMRIX_WINDOWS_QT}")
endif()
if(NOT TAMRIX_WINDOWS_QT)
  get_filename_component(archive_name "${TAMRIX_WINDOWS_QT_ARCHIVE}" NAME)
  string(REGEX REPLACE "\\.tar\\.[a-z0-9]+$" "" folder_name "${archive_name}")
  set(TAMRIX_WINDOWS_QT "${CMAKE_BINARY_DIR}/${folder_name}")
endif()
set(TAMRIX_WINDOWS_QT "${TAMRIX_WINDOWS_QT}" CACHE PATH "Qt for Windows: the folder with mingw64/ and host/")
# The compiler checks run in folders of their own; they need the same Qt.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TAMRIX_WINDOWS_QT)

set(qt_toolchain "${TAMRIX_WINDOWS_QT}/mingw64/lib/cmake/Qt6/qt.toolchain.cmake")
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

# Qt's own toolchain file: the compilers (MinGW-w64, POSIX threads), Qt's find paths, and the
# host tools (moc, rcc) that run on this machine.
set(QT_HOST_PATH "${TAMRIX_WINDOWS_QT}/host" CACHE PATH "Qt's host tools for the cross build")
include("${qt_toolchain}")
