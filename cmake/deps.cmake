# Third-party code comes from Debian's packages and is built here; none of it is committed.

set(MERVANTIS_DEPS_DIR "${CMAKE_SOURCE_DIR}/build/deps" CACHE PATH
    "Where the zlib source package is unpacked for the Windows minizip build")

if(WIN32)
  # zlib: Debian's static mingw build (libz-mingw-w64-dev). Named by file so the DLL import
  # library beside it is never picked.
  find_library(MERVANTIS_ZLIB_STATIC NAMES libz.a REQUIRED)
  add_library(zlib_static STATIC IMPORTED)
  set_target_properties(zlib_static PROPERTIES IMPORTED_LOCATION "${MERVANTIS_ZLIB_STATIC}")

  # minizip: compiled from contrib/minizip of Debian's zlib source package, with Debian's
  # patches applied by dpkg-source.
  set(zlib_source "${MERVANTIS_DEPS_DIR}/zlib-source")
  if(NOT EXISTS "${zlib_source}/contrib/minizip/unzip.c")
    set(download "${MERVANTIS_DEPS_DIR}/zlib-download")
    file(REMOVE_RECURSE "${download}" "${zlib_source}")
    file(MAKE_DIRECTORY "${download}")
    execute_process(COMMAND apt-get source --download-only zlib
                    WORKING_DIRECTORY "${download}" RESULT_VARIABLE rc OUTPUT_QUIET)
    file(GLOB dsc "${download}/zlib_*.dsc")
    if(NOT rc EQUAL 0 OR NOT dsc)
      message(FATAL_ERROR "apt-get source zlib failed; run 'make setup' (it adds the deb-src entry)")
    endif()
    execute_process(COMMAND dpkg-source --no-check -x "${dsc}" "${zlib_source}"
                    WORKING_DIRECTORY "${download}" RESULT_VARIABLE rc OUTPUT_QUIET)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "dpkg-source could not unpack ${dsc}")
    endif()
  endif()
  set(minizip_dir "${zlib_source}/contrib/minizip")
  add_library(minizip STATIC
    "${minizip_dir}/unzip.c" "${minizip_dir}/zip.c"
    "${minizip_dir}/ioapi.c" "${minizip_dir}/iowin32.c")
  target_include_directories(minizip SYSTEM PUBLIC "${minizip_dir}")
  target_compile_options(minizip PRIVATE -w)
  target_link_libraries(minizip PUBLIC zlib_static)

  # GoogleTest, cross-built from Debian's source package.
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL SYSTEM)
else()
  find_package(ZLIB REQUIRED)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(MINIZIP REQUIRED IMPORTED_TARGET minizip)
  add_library(minizip INTERFACE)
  target_link_libraries(minizip INTERFACE PkgConfig::MINIZIP ZLIB::ZLIB)
  find_package(GTest REQUIRED)
endif()
