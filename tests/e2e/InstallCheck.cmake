# Installs the build into a fresh prefix and checks what a desktop needs of it: the program, its
# help page where the program looks for it, the icon, a valid desktop entry naming both, the
# type of setup files, which the entry opens, and the example module catalogue among the
# documents.
# Run with -DBUILD_DIR=<build folder> -DPREFIX=<scratch folder>.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE installed OUTPUT_QUIET)
if(NOT installed EQUAL 0)
    message(FATAL_ERROR "cmake --install failed")
endif()

set(desktop_file ${PREFIX}/share/applications/mirafen.desktop)
foreach(path bin/mirafen share/mirafen/mirafen.html share/applications/mirafen.desktop
        share/icons/hicolor/scalable/apps/mirafen.svg share/mime/packages/mirafen.xml
        share/doc/mirafen/examples/Modules.dat)
    if(NOT EXISTS ${PREFIX}/${path})
        message(FATAL_ERROR "not installed: ${path}")
    endif()
endforeach()
# Our catalogue is an example: only one the build names goes where the programs look.
if(EXISTS ${PREFIX}/share/mirafen/Modules.dat)
    message(FATAL_ERROR "the example catalogue is installed as the catalogue")
endif()

execute_process(COMMAND desktop-file-validate ${desktop_file}
                RESULT_VARIABLE valid OUTPUT_VARIABLE report ERROR_VARIABLE report)
if(NOT valid EQUAL 0 OR NOT report STREQUAL "")
    message(FATAL_ERROR "desktop-file-validate: ${report}")
endif()

file(STRINGS ${desktop_file} exec REGEX "^Exec=")
file(STRINGS ${desktop_file} icon REGEX "^Icon=")
file(STRINGS ${desktop_file} types REGEX "^MimeType=")
if(NOT exec STREQUAL "Exec=mirafen %f" OR NOT icon STREQUAL "Icon=mirafen"
   OR NOT "${types}" STREQUAL "MimeType=application/x-zentiq-setup\\;")
    message(FATAL_ERROR "the desktop entry names ${exec}, ${icon} and ${types}")
endif()

# The database built from the installed type, as the desktop builds it, gives .prp files that
# type.
execute_process(COMMAND update-mime-database ${PREFIX}/share/mime
                RESULT_VARIABLE built OUTPUT_VARIABLE report ERROR_VARIABLE report)
file(STRINGS ${PREFIX}/share/mime/globs2 globs REGEX ":application/x-zentiq-setup:")
if(NOT built EQUAL 0 OR NOT globs MATCHES ":application/x-zentiq-setup:\\*\\.prp$")
    message(FATAL_ERROR "no type for *.prp in the database: ${globs} ${report}")
endif()
