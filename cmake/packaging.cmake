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
install(FILES README.md packaging/copyright DESTINATION ${FIELD_PACKAGE_DOC_DIR})
# fieldplot: the plotting command on PATH, under a name of its own.
install(PROGRAMS tools/fieldplot DESTINATION ${CMAKE_INSTALL_BINDIR})
# Completion of the options and of the campaign's field and material names, for both programs.
set(FIELD_COMPLETION_DIR ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
foreach(program fieldjoin casetable)
  install(FILES tools/completion/fielddata.bash DESTINATION ${FIELD_COMPLETION_DIR} RENAME ${program})
endforeach()

# Manual pages made from each program's own --help text (so the two cannot drift), where the
# build can run what it builds.
if(NOT CMAKE_CROSSCOMPILING AND NOT WIN32)
  set(FIELD_MAN_DIR ${CMAKE_BINARY_DIR}/man)
  file(MAKE_DIRECTORY ${FIELD_MAN_DIR})
  set(FIELD_MAN_PAGES)
  foreach(entry "fieldjoin|" "casetable|" "generate_field_data|writes a synthetic field-data tree")
    string(REPLACE "|" ";" parts "${entry}")
    list(GET parts 0 program)
    list(LENGTH parts count)
    set(summary "")
    if(count GREATER 1)
      list(GET parts 1 summary)
    endif()
    set(page ${FIELD_MAN_DIR}/${program}.1.gz)
    add_custom_command(OUTPUT ${page}
      COMMAND bash ${PROJECT_SOURCE_DIR}/tools/help_to_man.sh $<TARGET_FILE:${program}> ${program}
              ${PROJECT_VERSION} "${summary}" | gzip -9n > ${page}
      DEPENDS ${program} ${PROJECT_SOURCE_DIR}/tools/help_to_man.sh
      COMMENT "Manual page of ${program}" VERBATIM)
    list(APPEND FIELD_MAN_PAGES ${page})
  endforeach()
  # fieldplot's, from the plotting script's own --help under the installed name.
  set(page ${FIELD_MAN_DIR}/fieldplot.1.gz)
  add_custom_command(OUTPUT ${page}
    COMMAND ${CMAKE_COMMAND} -E env FIELD_PLOT_NAME=fieldplot bash ${PROJECT_SOURCE_DIR}/tools/help_to_man.sh
            ${PROJECT_SOURCE_DIR}/tools/plot_tables.sh fieldplot ${PROJECT_VERSION}
            "draws quick-look figures of whole-data and test-case tables" | gzip -9n > ${page}
    DEPENDS ${PROJECT_SOURCE_DIR}/tools/plot_tables.sh ${PROJECT_SOURCE_DIR}/tools/help_to_man.sh
    COMMENT "Manual page of fieldplot" VERBATIM)
  list(APPEND FIELD_MAN_PAGES ${page})
  add_custom_target(man_pages ALL DEPENDS ${FIELD_MAN_PAGES})
  install(FILES ${FIELD_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

set(FIELD_PACKAGE_MAINTAINER "fielddata maintainers <fielddata@example.org>"
    CACHE STRING "Maintainer field of the Debian package")

# The Debian changelog of this version, with the maintainer above (a binary package carries one).
if(NOT WIN32)
  configure_file(packaging/changelog.Debian.in ${CMAKE_BINARY_DIR}/changelog.Debian @ONLY)
  # A native package's (no Debian revision in its version): changelog.gz.
  set(FIELD_CHANGELOG ${CMAKE_BINARY_DIR}/changelog.gz)
  add_custom_command(OUTPUT ${FIELD_CHANGELOG}
    COMMAND gzip -9nc ${CMAKE_BINARY_DIR}/changelog.Debian > ${FIELD_CHANGELOG}
    DEPENDS ${CMAKE_BINARY_DIR}/changelog.Debian COMMENT "Debian changelog" VERBATIM)
  add_custom_target(debian_changelog ALL DEPENDS ${FIELD_CHANGELOG})
  install(FILES ${FIELD_CHANGELOG} DESTINATION ${FIELD_PACKAGE_DOC_DIR})
endif()

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
  "fieldplot draws quick-look figures of the tables with gnuplot.")
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
