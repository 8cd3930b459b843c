# Debian's hardening flags, as dpkg-buildflags gives them with every hardening feature: fortified
# functions, the strong stack protector, format checks, full RELRO with immediate binding (PIE is
# the compiler's default here). Everything is built with them, so the programs the package
# installs are what a Debian build would make. Left out of sanitized and unoptimized builds: the
# sanitizers check more themselves, and fortified functions need optimization.
option(MIRAFEN_HARDEN "Build with Debian's hardening flags from dpkg-buildflags" ON)
find_program(DPKG_BUILDFLAGS dpkg-buildflags)
if(MIRAFEN_HARDEN AND DPKG_BUILDFLAGS AND NOT MIRAFEN_SANITIZE
   AND NOT CMAKE_BUILD_TYPE STREQUAL "Debug")
    foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
        execute_process(
            COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                    ${DPKG_BUILDFLAGS} --get ${kind}
            WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
            OUTPUT_VARIABLE dpkg_${kind} OUTPUT_STRIP_TRAILING_WHITESPACE
            COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
    string(APPEND CMAKE_CXX_FLAGS " ${dpkg_CPPFLAGS} ${dpkg_CXXFLAGS}")
    string(APPEND CMAKE_EXE_LINKER_FLAGS " ${dpkg_LDFLAGS}")
    message(STATUS "Hardened with dpkg-buildflags: ${dpkg_CPPFLAGS} ${dpkg_CXXFLAGS} ${dpkg_LDFLAGS}")
elseif(MIRAFEN_HARDEN AND NOT DPKG_BUILDFLAGS)
    message(STATUS "dpkg-buildflags not found: built without Debian's hardening flags")
endif()
