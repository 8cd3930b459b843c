# mirafen_compressed_file(<target> <source> <output.gz>)
#
# Builds output.gz from source with gzip -9n (no name, no time stamp, so the same source always
# gives the same bytes), as Debian wants manual pages and changelogs.
function(mirafen_compressed_file target source output)
    get_filename_component(folder ${output} DIRECTORY)
    string(REGEX REPLACE "\\.gz$" "" uncompressed ${output})
    add_custom_command(
        OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
        COMMAND ${CMAKE_COMMAND} -E copy ${source} ${uncompressed}
        COMMAND gzip -9nf ${uncompressed}
        DEPENDS ${source}
        COMMENT "Compressing ${output}"
        VERBATIM)
    add_custom_target(${target} ALL DEPENDS ${output})
endfunction()
