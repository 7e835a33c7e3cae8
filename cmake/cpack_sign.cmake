# Run by cpack before it packs the Windows zip. Given PELLATONE_SIGNING_CERTIFICATE (cpack -D), the
# program as packed (stripped: signing it before would be undone by the strip) is signed with that
# PKCS#12 file by scripts/sign.sh, which reads the password from cpack's standard input;
# PELLATONE_SIGNING_URL and PELLATONE_SIGNING_TIMESTAMP give its --url and --timestamp. Without
# it the zip holds the program as built, unsigned.
if(PELLATONE_SIGNING_CERTIFICATE)
    set(options "")
    if(PELLATONE_SIGNING_URL)
        list(APPEND options --url "${PELLATONE_SIGNING_URL}")
    endif()
    if(PELLATONE_SIGNING_TIMESTAMP)
        list(APPEND options --timestamp "${PELLATONE_SIGNING_TIMESTAMP}")
    endif()
    execute_process(
        COMMAND sh "${CMAKE_CURRENT_LIST_DIR}/../scripts/sign.sh" ${options}
                "${PELLATONE_SIGNING_CERTIFICATE}" "${CPACK_TEMPORARY_DIRECTORY}/pellatone.exe"
        RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "the program was not signed; no zip made")
    endif()
endif()
