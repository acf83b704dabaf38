# Installation as a desktop application and the Debian package.
#
# `cmake --install <build> [--prefix <dir>]` lays out, under the prefix:
#   bin/orvel
#   share/orvel/shablon/nds.xls, share/orvel/shablon/upr.xls, share/orvel/MacMetal.qss,
#   share/orvel/keyrate-2026-03-20.xml
#   share/applications/example.kestrin.Orvel.desktop
#   share/icons/hicolor/scalable/apps/example.kestrin.Orvel.svg
#   share/metainfo/example.kestrin.Orvel.metainfo.xml
#   share/man/man1/orvel.1.gz, share/doc/orvel/{copyright,changelog.gz}
#   share/lintian/overrides/orvel (only when built with LibreOffice)
# (the GNUInstallDirs folders; these are their usual values).
# `cpack -G DEB` in the build folder packs the same as orvel_<version>_<arch>.deb.

set(ORVEL_APP_ID example.kestrin.Orvel)
set(ORVEL_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/orvel)
set(_orvel_data ${PROJECT_SOURCE_DIR}/data)

# The installed program looks for its data relative to its own folder
# (orvel::programFolder()); tell it the path that follows from the install folders.
file(RELATIVE_PATH _orvel_data_from_bin ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_DATADIR}/orvel)
set_property(SOURCE ${PROJECT_SOURCE_DIR}/src/calc/Paths.cpp DIRECTORY ${PROJECT_SOURCE_DIR}/src/calc APPEND PROPERTY
    COMPILE_DEFINITIONS "ORVEL_INSTALLED_DATA_DIR=\"${_orvel_data_from_bin}\"")

# The release in the AppStream data and the package changelog is kept by hand.
foreach(_f ${ORVEL_APP_ID}.metainfo.xml changelog)
    file(READ ${_orvel_data}/${_f} _text)
    if(NOT _text MATCHES "(release version=\"|orvel \\()${PROJECT_VERSION}[\")]")
        message(WARNING "data/${_f} does not name release ${PROJECT_VERSION}")
    endif()
endforeach()

# Debian wants the manual page and the changelog compressed, without time stamps.
set(_orvel_gz_dir ${PROJECT_BINARY_DIR}/packaging)
set(_orvel_gz)
foreach(_f orvel.1 changelog)
    add_custom_command(
        OUTPUT ${_orvel_gz_dir}/${_f}.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${_orvel_gz_dir}
        COMMAND ${CMAKE_COMMAND} -E copy ${_orvel_data}/${_f} ${_orvel_gz_dir}/${_f}
        COMMAND gzip -9nf ${_orvel_gz_dir}/${_f}
        DEPENDS ${_orvel_data}/${_f}
        VERBATIM)
    list(APPEND _orvel_gz ${_orvel_gz_dir}/${_f}.gz)
endforeach()
add_custom_target(orvel_packaging_files ALL DEPENDS ${_orvel_gz})

install(TARGETS orvel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/src/ui/MacMetal.qss ${_orvel_data}/keyrate-2026-03-20.xml
        DESTINATION ${ORVEL_INSTALL_DATADIR})
install(FILES ${PROJECT_SOURCE_DIR}/shablon/nds.xls ${PROJECT_SOURCE_DIR}/shablon/upr.xls
        DESTINATION ${ORVEL_INSTALL_DATADIR}/shablon)
install(FILES ${_orvel_data}/${ORVEL_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_orvel_data}/${ORVEL_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${_orvel_data}/${ORVEL_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${_orvel_gz_dir}/orvel.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${_orvel_data}/copyright ${_orvel_gz_dir}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
# Built with LibreOffice (cmake/OrvelLibreOffice.cmake), the program has a
# run-time library path into the office's program folder; lintian is told why.
if(ORVEL_HAVE_LIBREOFFICE)
    install(FILES ${_orvel_data}/orvel.lintian-overrides
            DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME orvel)
endif()

if(NOT PROJECT_IS_TOP_LEVEL)
    return() # the enclosing project packs itself
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvel)
set(CPACK_PACKAGE_VENDOR Kestrin)
set(CPACK_PACKAGE_CONTACT "Kestrin <orvel@kestrin.example>")
set(CPACK_PACKAGE_HOMEPAGE_URL "http://www.kestrin.example/")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "financial calculator for Russian-speaking users")
set(CPACK_PACKAGE_DESCRIPTION
"Orvel offers, in one window with five tabs, a tax calculator that adds a
percentage tax to an amount or extracts it, simple and compound deposit
interest, annuity loan payments and a schedule of differentiated payments,
a currency converter on the daily official rates of the Central Bank of
Russia, and a keypad calculator.

From the tax tab it fills the VAT declaration and the simplified tax
declaration of an individual entrepreneur into spreadsheet templates. That
and the loan payment schedule use LibreOffice Calc.")
set(CPACK_RESOURCE_FILE_LICENSE ${_orvel_data}/copyright)
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git" "/build[^/]*/")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Depends come from the libraries the program links (Qt 6, libxml2, libcurl,
# and the UNO runtime when it is built with LibreOffice); dpkg-shlibdeps finds
# them. The UNO libraries live in LibreOffice's private program folder.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS /usr/lib/libreoffice/program)
# The bank answers over https: libcurl needs the certificate authorities.
set(CPACK_DEBIAN_PACKAGE_DEPENDS ca-certificates)
# Only the declarations and the payment schedule need the spreadsheet application.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libreoffice-calc-nogui | libreoffice-calc")

include(CPack)
