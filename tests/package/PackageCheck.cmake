# Builds the .deb, unpacks it into a scratch root and checks what it holds and the completion of
# mirafen-cli it brings, then runs lintian on it, which must find no errors and no program
# without Debian's hardening. Run with -DBUILD_DIR=<build folder> -DCPACK=<cpack>
# -DSCRATCH=<scratch folder>.
cmake_minimum_required(VERSION 3.25)

function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE output
                    ERROR_VARIABLE output)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "${ARGN} failed:\n${output}")
    endif()
    set(output "${output}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${SCRATCH})
run(${CPACK} -G DEB --config ${BUILD_DIR}/CPackConfig.cmake -B ${SCRATCH}/out)
file(GLOB packages ${SCRATCH}/out/mirafen_*.deb)
list(LENGTH packages count)
if(NOT count EQUAL 1)
    message(FATAL_ERROR "expected one mirafen_*.deb, found: ${packages}")
endif()

set(root ${SCRATCH}/root)
run(dpkg -x ${packages} ${root})
foreach(path usr/bin/mirafen usr/bin/mirafen-cli usr/share/man/man1/mirafen.1.gz
        usr/share/man/man1/mirafen-cli.1.gz
        usr/share/applications/mirafen.desktop usr/share/icons/hicolor/scalable/apps/mirafen.svg
        usr/share/mime/packages/mirafen.xml
        usr/share/mirafen/mirafen.html usr/share/doc/mirafen/copyright
        usr/share/doc/mirafen/changelog.gz usr/share/doc/mirafen/examples/Modules.dat
        usr/share/bash-completion/completions/mirafen-cli)
    if(NOT EXISTS ${root}/${path})
        message(FATAL_ERROR "not in the package: ${path}")
    endif()
endforeach()
if(EXISTS ${root}/usr/bin/zentiq-sim)
    message(FATAL_ERROR "the simulator is in the package")
endif()

# The programs run from where the package puts them, and it names the Qt they need.
run(${root}/usr/bin/mirafen-cli help)
run(dpkg-deb --field ${packages} Depends)
if(NOT output MATCHES "libqt6widgets6")
    message(FATAL_ERROR "the package does not depend on Qt 6 Widgets: ${output}")
endif()
run(dpkg-deb --field ${packages} Recommends)
if(NOT output MATCHES "qt6-wayland")
    message(FATAL_ERROR "the package does not recommend Qt's Wayland plugin: ${output}")
endif()
run(bash ${CMAKE_CURRENT_LIST_DIR}/CompletionCheck.bash
    ${root}/usr/share/bash-completion/completions/mirafen-cli ${root}/usr/bin/mirafen-cli)

execute_process(COMMAND lintian --pedantic --fail-on error --tag-display-limit 0 ${packages}
                RESULT_VARIABLE status OUTPUT_VARIABLE report ERROR_VARIABLE report)
message(STATUS "lintian:\n${report}")
if(NOT status EQUAL 0)
    message(FATAL_ERROR "lintian found errors")
endif()
# The programs are built with Debian's hardening flags (cmake/Hardening.cmake).
if(report MATCHES "hardening-[a-z-]+")
    message(FATAL_ERROR "lintian finds a program not hardened: ${CMAKE_MATCH_0}")
endif()
