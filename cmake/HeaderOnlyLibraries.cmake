# Header-only libraries from Debian's archive (scripts/install-deps installs them), for every build.
# Their headers are copied into the build tree and used from there: the Windows cross build must not
# search /usr/include itself, which holds this host's C library headers.
function(xq_header_only_library target)
    cmake_parse_arguments(ARG "" "" "DIRECTORIES;HEADERS" ${ARGN})
    set(root ${PROJECT_BINARY_DIR}/external/${target})
    foreach(entry IN LISTS ARG_DIRECTORIES ARG_HEADERS)
        if(NOT EXISTS /usr/include/${entry})
            message(FATAL_ERROR "/usr/include/${entry} is missing: run ./scripts/install-deps")
        endif()
        file(COPY /usr/include/${entry} DESTINATION ${root})
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS /usr/include/${entry})
    endforeach()
    add_library(${target} INTERFACE)
    target_include_directories(${target} SYSTEM INTERFACE ${root})
endfunction()

# Command-line parsing of both programs.
xq_header_only_library(xq_cli11 DIRECTORIES CLI)
# The database's digest (XXH3).
xq_header_only_library(xq_xxhash HEADERS xxhash.h)
