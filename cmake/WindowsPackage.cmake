# The Windows package: a zip of the programs, statically linked (nothing else to install), with a
# readme for Windows operators. Made by `cpack --preset windows`:
# build/windows/xq3100-<version>-windows-x64.zip, one folder of that name inside.

# The programs this build has: the terminal program always, the window where it is built.
set(_xq_programs xq3100-convert)
set(_xq_program_list "  xq3100-convert.exe   the conversion in a Command Prompt")
if(TARGET xq3100)
    list(PREPEND _xq_programs xq3100)
    string(PREPEND _xq_program_list "  xq3100.exe           the converter's window\n")
endif()
install(TARGETS ${_xq_programs} RUNTIME DESTINATION . COMPONENT windows)

# Texts with Windows line ends, which every Windows editor shows as lines.
function(xq_windows_text source target)
    file(READ ${source} text)
    string(REPLACE "\r\n" "\n" text "${text}")
    string(REPLACE "\n" "\r\n" text "${text}")
    file(WRITE ${target} "${text}")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
endfunction()

set(XQ_PROGRAM_LIST "${_xq_program_list}")
string(LENGTH "${XQ_PROGRAM_TITLE} ${PROJECT_VERSION} for Windows" _xq_title_length)
string(REPEAT "=" ${_xq_title_length} XQ_TITLE_RULE)
set(_xq_readme ${PROJECT_BINARY_DIR}/packaging/README.txt)
configure_file(packaging/windows/README.txt ${_xq_readme}.in @ONLY)
file(READ ${_xq_readme}.in _xq_text)
if(TARGET xq3100)
    string(REGEX REPLACE "@XQ_WINDOW_(BEGIN|END)@\n" "" _xq_text "${_xq_text}")
else()
    string(REGEX REPLACE "@XQ_WINDOW_BEGIN@.*@XQ_WINDOW_END@\n" "" _xq_text "${_xq_text}")
endif()
file(WRITE ${_xq_readme}.in "${_xq_text}")
xq_windows_text(${_xq_readme}.in ${_xq_readme})
xq_windows_text(${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_BINARY_DIR}/packaging/LICENSE.txt)
install(FILES ${_xq_readme} ${PROJECT_BINARY_DIR}/packaging/LICENSE.txt DESTINATION .
        COMPONENT windows)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VENDOR "The XQ3100 Database Media Converter authors")
set(CPACK_PACKAGE_FILE_NAME ${PROJECT_NAME}-${PROJECT_VERSION}-windows-x64)
# Only what is named for Windows above: install rules made for Linux folders stay out.
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL windows)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
# Unzipped, it is one folder named like the zip.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
