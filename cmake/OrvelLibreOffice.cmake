# LibreOffice Calc as the spreadsheet application, driven over UNO.
#
# Found when the LibreOffice SDK is installed (Debian: libreoffice-dev). The
# SDK ships only the basic UNO headers; the headers of the office API types
# the program uses are generated at build time with cppumaker from the
# office's own type libraries.
#
# Defines ORVEL_HAVE_LIBREOFFICE and, when it is ON, the interface target
# orvel_uno (generated headers, UNO compile definitions, UNO libraries).

set(ORVEL_LO_SDK /usr/lib/libreoffice/sdk CACHE PATH "LibreOffice SDK folder")
set(ORVEL_LO_PROGRAM /usr/lib/libreoffice/program CACHE PATH "LibreOffice program folder")
set(ORVEL_LO_INCLUDE /usr/include/libreoffice CACHE PATH "LibreOffice UNO headers")

set(ORVEL_HAVE_LIBREOFFICE OFF)
if(EXISTS ${ORVEL_LO_SDK}/bin/cppumaker
   AND EXISTS ${ORVEL_LO_PROGRAM}/types.rdb
   AND EXISTS ${ORVEL_LO_PROGRAM}/types/offapi.rdb
   AND EXISTS ${ORVEL_LO_INCLUDE}/cppuhelper/bootstrap.hxx)
    set(ORVEL_HAVE_LIBREOFFICE ON)
endif()

if(NOT ORVEL_HAVE_LIBREOFFICE)
    message(STATUS "LibreOffice SDK not found in ${ORVEL_LO_SDK}: building without LibreOffice Calc")
    return()
endif()
message(STATUS "LibreOffice SDK: ${ORVEL_LO_SDK}")

# The office API types the program names; cppumaker adds what they depend on.
set(_orvel_uno_types
    com.sun.star.beans.PropertyValue
    com.sun.star.beans.XPropertySet
    com.sun.star.bridge.UnoUrlResolver
    com.sun.star.bridge.XUnoUrlResolver
    com.sun.star.connection.NoConnectException
    com.sun.star.container.NoSuchElementException
    com.sun.star.container.XIndexAccess
    com.sun.star.container.XNameAccess
    com.sun.star.container.XNamed
    com.sun.star.frame.Desktop
    com.sun.star.frame.XComponentLoader
    com.sun.star.frame.XController
    com.sun.star.frame.XDesktop2
    com.sun.star.frame.XModel
    com.sun.star.frame.XStorable
    com.sun.star.io.IOException
    com.sun.star.lang.DisposedException
    com.sun.star.lang.IllegalArgumentException
    com.sun.star.lang.IndexOutOfBoundsException
    com.sun.star.lang.XComponent
    com.sun.star.lang.XMultiComponentFactory
    com.sun.star.sheet.CellFlags
    com.sun.star.sheet.XCellAddressable
    com.sun.star.sheet.XCellRangeAddressable
    com.sun.star.sheet.XCellRangeFormula
    com.sun.star.sheet.XCellRangesQuery
    com.sun.star.sheet.XSheetCellRanges
    com.sun.star.sheet.XSpreadsheet
    com.sun.star.sheet.XSpreadsheetDocument
    com.sun.star.sheet.XSpreadsheetView
    com.sun.star.sheet.XSpreadsheets
    com.sun.star.table.CellContentType
    com.sun.star.table.XCell
    com.sun.star.table.XCellRange
    com.sun.star.text.XText
    com.sun.star.uno.DeploymentException
    com.sun.star.uno.RuntimeException
    com.sun.star.uno.XComponentContext
    com.sun.star.util.XCloseable
    com.sun.star.util.XMergeable
    com.sun.star.util.XModifiable
    com.sun.star.util.XReplaceable
    com.sun.star.util.XReplaceDescriptor
    com.sun.star.view.XSelectionSupplier)
list(JOIN _orvel_uno_types ";" _orvel_uno_type_arg)

set(ORVEL_UNO_HEADERS ${PROJECT_BINARY_DIR}/uno-headers)
set(_orvel_uno_stamp ${ORVEL_UNO_HEADERS}/generated.stamp)
# cppumaker wants the output folder glued to -O and an explicit type list.
add_custom_command(
    OUTPUT ${_orvel_uno_stamp}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${ORVEL_UNO_HEADERS}
    COMMAND ${ORVEL_LO_SDK}/bin/cppumaker -C -Gc -O${ORVEL_UNO_HEADERS} "-T${_orvel_uno_type_arg}"
            ${ORVEL_LO_PROGRAM}/types.rdb ${ORVEL_LO_PROGRAM}/types/offapi.rdb
    COMMAND ${CMAKE_COMMAND} -E touch ${_orvel_uno_stamp}
    DEPENDS ${ORVEL_LO_PROGRAM}/types.rdb ${ORVEL_LO_PROGRAM}/types/offapi.rdb ${CMAKE_CURRENT_LIST_FILE}
    COMMENT "Generating the UNO headers of the office API"
    VERBATIM)
add_custom_target(orvel_uno_headers DEPENDS ${_orvel_uno_stamp})

add_library(orvel_uno INTERFACE)
add_dependencies(orvel_uno orvel_uno_headers)
target_include_directories(orvel_uno SYSTEM INTERFACE ${ORVEL_UNO_HEADERS} ${ORVEL_LO_INCLUDE})
target_compile_definitions(orvel_uno INTERFACE LINUX UNX CPPU_ENV=gcc3)
# Linked by full path: a link directory would put an rpath entry into every
# program of the build tree.
foreach(lib uno_cppu uno_cppuhelpergcc3 uno_sal uno_salhelpergcc3)
    find_library(ORVEL_LO_LIB_${lib} NAMES ${lib} PATHS ${ORVEL_LO_SDK}/lib NO_DEFAULT_PATH REQUIRED)
    target_link_libraries(orvel_uno INTERFACE ${ORVEL_LO_LIB_${lib}})
endforeach()
# The UNO runtime libraries live in the office's program folder.
target_link_options(orvel_uno INTERFACE
    "LINKER:-rpath,${ORVEL_LO_PROGRAM}" "LINKER:-rpath-link,${ORVEL_LO_PROGRAM}")
