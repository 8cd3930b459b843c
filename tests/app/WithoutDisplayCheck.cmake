# Runs the program with --help and with --version where no display is named: each answers on
# standard output and exits 0 without a platform plugin. Run with -DPROGRAM=<mirafen>
# -DVERSION=<the project's version>.
cmake_minimum_required(VERSION 3.25)

string(REPLACE "." "\\." version_pattern ${VERSION})
foreach(case "--help|^Usage: mirafen \\[OPTION\\]\\.\\.\\. \\[FILE\\.prp\\]\n"
             "--version|^mirafen ${version_pattern}\n$")
    string(REPLACE "|" ";" case "${case}")
    list(GET case 0 option)
    list(GET case 1 expected)
    execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY
                            --unset=QT_QPA_PLATFORM ${PROGRAM} ${option}
                    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT status EQUAL 0 OR NOT err STREQUAL "" OR NOT out MATCHES "${expected}")
        message(FATAL_ERROR "mirafen ${option} ended with ${status}:\n${out}${err}")
    endif()
endforeach()
