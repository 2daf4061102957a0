# The resources of a Windows program: version record, icon and application manifest, all written
# from the one program identity (PROJECT_VERSION_*, XQ_PROGRAM_TITLE, XQ_PROGRAM_COMMENT).

enable_language(RC)

set(XQ_WINDOWS_RESOURCES_DIR ${PROJECT_SOURCE_DIR}/src/win32/resources)

# xq_add_windows_resources(TARGET DESCRIPTION [MORE file.rc]): gives the program TARGET (named
# TARGET.exe) its resources; DESCRIPTION is what the file's properties show as its description.
# MORE names a resource script of the program's own, compiled with these (the icons of one program
# must come from one script, which numbers their pictures).
function(xq_add_windows_resources target description)
    cmake_parse_arguments(ARG "" "MORE" "" ${ARGN})
    set(XQ_RESOURCES_MORE "")
    if(ARG_MORE)
        set(XQ_RESOURCES_MORE "#include \"${ARG_MORE}\"")
    endif()
    set(XQ_RESOURCES_NAME ${target})
    set(XQ_RESOURCES_DESCRIPTION ${description})
    set(XQ_RESOURCES_DIR ${XQ_WINDOWS_RESOURCES_DIR})
    set(XQ_RESOURCES_MANIFEST ${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest)
    configure_file(${XQ_WINDOWS_RESOURCES_DIR}/program.manifest.in ${XQ_RESOURCES_MANIFEST} @ONLY)
    configure_file(${XQ_WINDOWS_RESOURCES_DIR}/program.rc.in
                   ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc @ONLY)
    target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
    # The resource compiler's inputs are not scanned for what they include.
    set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/${target}.rc PROPERTIES
        OBJECT_DEPENDS "${XQ_WINDOWS_RESOURCES_DIR}/xq3100.ico;${XQ_RESOURCES_MANIFEST};${ARG_MORE}")
endfunction()
