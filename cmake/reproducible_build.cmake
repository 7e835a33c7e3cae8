# The artefacts users download rebuild bit for bit, whatever folder and time they are built in:
# no build path inside any binary (debug information included), no link time in the Windows
# program's header, and every timestamp in the packages SOURCE_DATE_EPOCH (by default the time of
# the last commit; see cpack_project_config.cmake.in).
target_compile_options(pellatone_options INTERFACE
    -ffile-prefix-map=${PROJECT_SOURCE_DIR}=. -ffile-prefix-map=${PROJECT_BINARY_DIR}=build)
if(WIN32)
    # Without its time stamp the header's checksum is fixed too.
    target_link_options(pellatone_options INTERFACE LINKER:--no-insert-timestamp)
endif()
# Folders the packages are built from get the same permissions under any umask.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_BINARY_DIR}/cpack_project_config.cmake)
configure_file(${CMAKE_CURRENT_LIST_DIR}/cpack_project_config.cmake.in ${CPACK_PROJECT_CONFIG_FILE}
               @ONLY)
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/cpack_post_build.cmake)
