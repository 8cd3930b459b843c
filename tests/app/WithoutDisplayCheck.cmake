# Runs the program where no display is named. --help and --version answer on standard output and
# exit 0 without a platform plugin; the window says in one line that it needs a display and exits
# 1, also on a platform chosen that needs one; a platform chosen that needs none still starts (a
# misused command line, read once the platform is up, shows it). Run with -DPROGRAM=<mirafen>
# -DVERSION=<the project's version>.
cmake_minimum_required(VERSION 3.25)

string(REPLACE "." "\\." version_pattern ${VERSION})
set(no_display "mirafen: the window needs a display [^\n]*xvfb-run -a mirafen\n$")
# platform|arguments|status|expected standard output|expected standard error; "," parts an
# argument list, "-" is none
foreach(case "-|--help|0|^Usage: mirafen \\[OPTION\\]\\.\\.\\. \\[FILE\\.prp\\]\n|^$"
             "-|--version|0|^mirafen ${version_pattern}\n$|^$"
             "-|-|1|^$|^${no_display}"
             "xcb|-|1|^$|\n?${no_display}"
             "offscreen|--bogus|2|^$|mirafen: unknown option --bogus\n"
             "-|-platform,offscreen,--bogus|2|^$|mirafen: unknown option --bogus\n")
    string(REPLACE "|" ";" fields "${case}")
    list(GET fields 0 platform)
    list(GET fields 1 arguments)
    list(GET fields 2 expected_status)
    list(GET fields 3 expected_out)
    list(GET fields 4 expected_err)
    string(REPLACE "," ";" arguments "${arguments}")
    if(arguments STREQUAL "-")
        set(arguments "")
    endif()
    string(REPLACE ";" " " shown "${arguments}")
    set(platform_setting --unset=QT_QPA_PLATFORM)
    if(NOT platform STREQUAL "-")
        set(platform_setting QT_QPA_PLATFORM=${platform})
    endif()
    execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY
                            ${platform_setting} ${PROGRAM} ${arguments}
                    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT status EQUAL expected_status OR NOT out MATCHES "${expected_out}"
       OR NOT err MATCHES "${expected_err}")
        message(FATAL_ERROR "mirafen ${shown} (platform ${platform}) ended with ${status}:\n"
                            "${out}${err}")
    endif()
endforeach()
