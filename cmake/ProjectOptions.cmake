# Compiler settings shared by every target of the project.

add_library(xq_options INTERFACE)
target_compile_features(xq_options INTERFACE cxx_std_20)
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    # Designated initializers leave the remaining members at their defaults on purpose.
    target_compile_options(xq_options INTERFACE -Wall -Wextra -Werror -Wno-missing-field-initializers)
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
        # GCC 12 reports impossible overlaps (exabyte-sized memcpy) for "text" + std::string once
        # optimised (GCC bug 105329); the warning is wrong for every such line.
        target_compile_options(xq_options INTERFACE -Wno-restrict)
    endif()
    if(NOT WIN32)
        # The hardening Debian gives its own packages, for the release that is packaged: stack
        # protector, fortified C library calls, relocations read-only and bound at start-up.
        target_compile_options(xq_options INTERFACE
            "$<$<CONFIG:Release>:-fstack-protector-strong;-D_FORTIFY_SOURCE=2>")
        target_link_options(xq_options INTERFACE $<$<CONFIG:Release>:LINKER:-z,relro,-z,now>)
    endif()
elseif(MSVC)
    target_compile_options(xq_options INTERFACE /W4 /WX /utf-8)
endif()

if(XQ_SANITIZE)
    # Address and undefined-behaviour checks; undefined behaviour is fatal so a test run fails on it.
    # Optimised a little, as the sanitizers' documentation advises: the checks stay the same and
    # the checked suite runs several times faster than unoptimised. GCC's may-be-uninitialised
    # analysis is not reliable on instrumented code (it flags libstdc++'s own std::regex); the
    # release and Windows builds keep that warning.
    set(_xq_san -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    add_compile_options(${_xq_san} -O1)
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
        add_compile_options(-Wno-maybe-uninitialized)
    endif()
    add_link_options(${_xq_san})
endif()
