# Packages. Linux: two Debian packages made by CPack from the install rules (`cpack -G DEB` in the build
# folder, or scripts/package): `korvane`, the demonstration (component demo), and `libkorvane-dev`, the
# framework's headers, static libraries, CMake package and pkg-config files (component dev). Windows: an
# NSIS installer of the demonstration (target korvane_installer, see packaging/korvane.nsi.in).

set(KORVANE_PACKAGE_MAINTAINER "Korvane maintainers <maintainers@korvane.example>" CACHE STRING
  "The Maintainer field of the packages: name <address>")
set(KORVANE_PACKAGE_LICENSE "other" CACHE STRING "The license name in the packages' copyright file")
set(KORVANE_PACKAGE_LICENSE_TEXT "All rights reserved by the Korvane authors." CACHE STRING
  "The license text (one paragraph) in the packages' copyright file")

set(korvane_summary "Four reflective spheres in a sky box, drawn with OpenGL")
set(korvane_dev_summary "C++20 framework for interactive OpenGL programs (development files)")

if(NOT WIN32)
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
  set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "libglew-dev, libfreetype-dev, libx11-dev, libgl-dev")
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
endif()
