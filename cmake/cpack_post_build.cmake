# Run by cpack on each package it made. The DEB generator already writes SOURCE_DATE_EPOCH for
# every timestamp; a zip still holds the files' times, their owner and their inode change time,
# which strip-nondeterminism sets to SOURCE_DATE_EPOCH and zero. Then each package's SHA-256, for
# comparing with a rebuild.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
    if(package MATCHES "\\.zip$")
        find_program(strip_nondeterminism strip-nondeterminism REQUIRED)
        execute_process(
            COMMAND ${strip_nondeterminism} --type zip --timestamp "$ENV{SOURCE_DATE_EPOCH}"
                    "${package}"
            COMMAND_ERROR_IS_FATAL ANY)
    endif()
    file(SHA256 "${package}" sha256)
    get_filename_component(name "${package}" NAME)
    message(STATUS "SHA-256 ${sha256}  ${name}")
endforeach()
