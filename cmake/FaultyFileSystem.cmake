# The faulty file system (tests/support/faulty_fs.cpp): a FUSE pass-through that fails chosen
# sectors of chosen files, as old diskettes do, for the tests and the benchmark of damaged
# diskettes. Linux only, and only where libfuse3 is installed; the target is defined once.
if(NOT WIN32 AND NOT TARGET xq3100-faulty-fs)
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(FUSE3 IMPORTED_TARGET fuse3)
    if(FUSE3_FOUND)
        add_executable(xq3100-faulty-fs ${PROJECT_SOURCE_DIR}/tests/support/faulty_fs.cpp)
        target_link_libraries(xq3100-faulty-fs PRIVATE PkgConfig::FUSE3)
    endif()
endif()
