# mirafen_add_test(<name> SOURCES <files>... LIBRARIES <targets>... [WINDOWS] [TIMEOUT <s>]
#                  [COST <n>] [PROPERTIES <name> <value>...])
#
# One test binary, its GoogleTest cases registered with CTest. WINDOWS runs the cases on Qt's
# offscreen platform, with a main() that creates the QApplication; other binaries bring their
# own main() or take GoogleTest's. PROPERTIES are further test properties of every case (a
# fixture it needs). A COST starts the cases before cheaper ones when CTest has no
# times of its own yet (a fresh build), so that long cases do not run last and alone.
set(MIRAFEN_TEST_LOCK_FOLDER ${CMAKE_BINARY_DIR}/test-locks)
file(MAKE_DIRECTORY ${MIRAFEN_TEST_LOCK_FOLDER})

function(mirafen_add_test name)
    cmake_parse_arguments(PARSE_ARGV 1 arg "WINDOWS" "TIMEOUT;COST" "SOURCES;LIBRARIES;PROPERTIES")
    add_executable(${name} ${arg_SOURCES})
    target_link_libraries(${name} PRIVATE ${arg_LIBRARIES})
    # Serial port lock files go into the build tree, never the machine's /run/lock.
    set(properties ENVIRONMENT_MODIFICATION MIRAFEN_LOCK_DIR=set:${MIRAFEN_TEST_LOCK_FOLDER})
    if(arg_WINDOWS)
        list(APPEND properties ENVIRONMENT QT_QPA_PLATFORM=offscreen)
    endif()
    if(arg_TIMEOUT)
        list(APPEND properties TIMEOUT ${arg_TIMEOUT})
    endif()
    if(arg_COST)
        list(APPEND properties COST ${arg_COST})
    endif()
    list(APPEND properties ${arg_PROPERTIES})
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST PROPERTIES ${properties})
endfunction()
