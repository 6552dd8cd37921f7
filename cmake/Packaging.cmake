# Packages. Linux: two Debian packages made by CPack from the install rules (`cpack -G DEB` in the build
# folder, or scripts/package): `korvane`, the demonstration (component demo), and `libkorvane-dev`, the
# framework's headers, static libraries, CMake package and pkg-config files (component dev). Windows: an
# NSIS installer of the demonstration (target korvane_installer, see packaging/korvane.nsi.in). The backend
# chooses which (KORVANE_PLATFORM_PACKAGE, cmake/Platform.cmake).

set(KORVANE_PACKAGE_MAINTAINER "Korvane maintainers <maintainers@korvane.example>" CACHE STRING
  "The Maintainer field of the packages: name <address>")
set(KORVANE_PACKAGE_LICENSE "other" CACHE STRING "The license name in the packages' copyright file")
set(KORVANE_PACKAGE_LICENSE_TEXT "All rights reserved by the Korvane authors." CACHE STRING
  "The license text (one paragraph) in the packages' copyright file")

set(korvane_summary "Four reflective spheres in a sky box, drawn with OpenGL")
set(korvane_dev_summary "C++20 framework for interactive OpenGL programs (development files)")

if(KORVANE_PLATFORM_PACKAGE STREQUAL "DEB")
  # Per package: the copyright file and the changelog, compressed as Debian wants them.
  set(KORVANE_DEBIAN_VERSION ${PROJECT_VERSION}-1)
  find_program(KORVANE_GZIP gzip)
  foreach(component demo dev)
    if(component STREQUAL "demo")
      set(PACKAGE korvane)
    else()
      set(PACKAGE libkorvane-dev)
    endif()
    set(VERSION ${KORVANE_DEBIAN_VERSION})
    set(MAINTAINER ${KORVANE_PACKAGE_MAINTAINER})
    set(folder ${PROJECT_BINARY_DIR}/packaging/${PACKAGE})
    configure_file(${PROJECT_SOURCE_DIR}/packaging/copyright ${folder}/copyright @ONLY)
    configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.Debian ${folder}/changelog.Debian @ONLY)
    if(KORVANE_GZIP)
      add_custom_command(OUTPUT ${folder}/changelog.Debian.gz
        COMMAND ${KORVANE_GZIP} -9nf -k ${folder}/changelog.Debian DEPENDS ${folder}/changelog.Debian VERBATIM)
      add_custom_target(korvane_${component}_changelog ALL DEPENDS ${folder}/changelog.Debian.gz)
      install(FILES ${folder}/changelog.Debian.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${PACKAGE}
        COMPONENT ${component})
    endif()
    install(FILES ${folder}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${PACKAGE} COMPONENT ${component})
  endforeach()

  # A stripped install (CPack strips the packages) keeps the static libraries' symbols but not their debug
  # sections, as Debian strips its own.
  install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
      file(GLOB archives \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/libkorvane_*.a\")
      foreach(archive IN LISTS archives)
        execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-debug --remove-section=.comment \"\${archive}\"
          COMMAND_ERROR_IS_FATAL ANY)
      endforeach()
    endif()" COMPONENT dev)

  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGE_NAME korvane)
  set(CPACK_PACKAGE_VENDOR "The Korvane authors")
  set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
  set(CPACK_PACKAGE_CONTACT ${KORVANE_PACKAGE_MAINTAINER})
  set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_STRIP_FILES ON)
  set(CPACK_COMPONENTS_ALL demo dev)
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)

  set(CPACK_DEBIAN_DEMO_PACKAGE_NAME korvane)
  set(CPACK_DEBIAN_DEMO_PACKAGE_SECTION graphics)
  # The libraries the program links come from dpkg-shlibdeps; the label's font from the system.
  set(CPACK_DEBIAN_DEMO_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_DEMO_PACKAGE_DEPENDS "fonts-dejavu-core")
  set(CPACK_DEBIAN_DEMO_PACKAGE_RECOMMENDS "fonts-dejavu-extra")
  set(CPACK_DEBIAN_DEMO_DESCRIPTION "${korvane_summary}
Korvane shows four spheres that reflect the sky box around them, drawn with
OpenGL shaders; the mouse turns and moves the view. It is the demonstration
program of the Korvane framework.")

  set(CPACK_DEBIAN_DEV_PACKAGE_NAME libkorvane-dev)
  set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
  set(CPACK_DEBIAN_DEV_PACKAGE_SHLIBDEPS OFF)
  # What the framework's headers and static libraries need of their users' systems.
  set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "${KORVANE_PLATFORM_PACKAGE_DEPENDS}")
  set(CPACK_DEBIAN_DEV_PACKAGE_SUGGESTS "cmake, pkgconf | pkg-config")
  set(CPACK_DEBIAN_DEV_DESCRIPTION "${korvane_dev_summary}
Korvane is a framework for interactive OpenGL programs: an object model,
strings, pooled containers, threads, message passing with loopers, windows
and views with an OpenGL view, a rendering layer with textures, frame
buffers and cube maps, a DDS reader, files and streams and a FreeType text
overlay.

This package holds the headers, the static libraries, the CMake package
(find_package(Korvane), target korvane::korvane) and pkg-config files.")
  include(CPack)
elseif(KORVANE_PLATFORM_PACKAGE STREQUAL "NSIS")
  # The installer: the `demo` component installed into a staging folder, then compiled by makensis into
  # packages/korvane-<version>-setup.exe.
  find_program(KORVANE_MAKENSIS makensis DOC "NSIS, for the Windows installer (Debian package nsis)")
  if(KORVANE_MAKENSIS)
    set(KORVANE_NSIS_STAGE ${PROJECT_BINARY_DIR}/installer-root)
    set(KORVANE_NSIS_OUTPUT ${PROJECT_BINARY_DIR}/packages/korvane-${PROJECT_VERSION}-setup.exe)
    set(data_files stpeters_cross.dds cubeshader.vp cubeshader.pp)
    if(KORVANE_FONT)
      get_filename_component(font_name ${KORVANE_FONT} NAME)
      list(APPEND data_files ${font_name})
    endif()
    set(KORVANE_NSIS_INSTALL_DATA)
    set(KORVANE_NSIS_REMOVE_DATA)
    foreach(file IN LISTS data_files)
      string(APPEND KORVANE_NSIS_INSTALL_DATA "  File \"${KORVANE_NSIS_STAGE}/share/korvane/data/${file}\"\n")
      string(APPEND KORVANE_NSIS_REMOVE_DATA "  Delete \"$INSTDIR\\share\\korvane\\data\\${file}\"\n")
    endforeach()
    # The program, the sky map and the font, roughly.
    set(KORVANE_NSIS_SIZE_KB 16000)
    configure_file(${PROJECT_SOURCE_DIR}/packaging/korvane.nsi.in ${PROJECT_BINARY_DIR}/packaging/korvane.nsi @ONLY)
    add_custom_target(korvane_installer
      COMMAND ${CMAKE_COMMAND} -E rm -rf ${KORVANE_NSIS_STAGE}
      COMMAND ${CMAKE_COMMAND} --install ${PROJECT_BINARY_DIR} --component demo --prefix ${KORVANE_NSIS_STAGE}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/packages
      COMMAND ${KORVANE_MAKENSIS} -V2 ${PROJECT_BINARY_DIR}/packaging/korvane.nsi
      DEPENDS korvane korvane_run_directory
      COMMENT "Building the installer ${KORVANE_NSIS_OUTPUT}" VERBATIM)
  else()
    message(STATUS "No makensis (Debian package nsis): no Windows installer")
  endif()
endif()
