# What `cmake --install` puts where, and the packages CPack makes of it: a
# Debian package on Linux (cpack -G DEB), a zip of the same tree for the
# Windows build (cpack -G ZIP in build/windows).
include(GNUInstallDirs)

set(FIELD_PACKAGE_DATA_DIR ${CMAKE_INSTALL_DATADIR}/${PROJECT_NAME})
set(FIELD_PACKAGE_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/${PROJECT_NAME})

install(TARGETS fieldjoin casetable generate_field_data RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The plotting command finds its awk and gnuplot scripts beside itself.
install(PROGRAMS tools/plot_tables.sh DESTINATION ${FIELD_PACKAGE_DATA_DIR})
install(FILES tools/plot_tables.awk tools/plot_tables.gp DESTINATION ${FIELD_PACKAGE_DATA_DIR})
install(FILES README.md DESTINATION ${FIELD_PACKAGE_DOC_DIR})

set(FIELD_PACKAGE_MAINTAINER "fielddata maintainers <fielddata@example.org>"
    CACHE STRING "Maintainer field of the Debian package")

set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VENDOR "fielddata")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Wind and source-strength tables from field-experiment anemometer data")
# The long description, in lines short enough for a package listing.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "fieldjoin and casetable cut each sampling period out of 10 Hz sonic-anemometer"
  "logger files, compute the wind and turbulence statistics (double rotation,"
  "friction velocity, Obukhov length) and the source strength with a"
  "stability-corrected wind profile, join the weather-station means and write"
  "comma-separated tables. generate_field_data makes synthetic data trees;"
  "plot_tables.sh draws quick-look figures of the tables with gnuplot.")
set(CPACK_STRIP_FILES ON)
# Only the project's own files: GoogleTest's install rules (cross builds) stay out.
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};Unspecified;/")

set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${FIELD_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "gnuplot-nox | gnuplot")

# The zip unpacks into one folder, fielddata-<version>-win64.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR DEB)
endif()

include(CPack)
