# How the tests of the Linux program are built and run: Debian's GoogleTest, each case its own
# test.
find_package(GTest REQUIRED)

function(pellatone_add_gtest target)
    gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST)
endfunction()
