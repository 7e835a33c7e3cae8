#include "platform/win32/system_error.h"

#include <gtest/gtest.h>

#include <string>

namespace pellatone::win32 {
namespace {

// The file a refused write names.
RunTimeError WriteError(DWORD code) {
    return WriteErrorFromWin32(code, "C:\\jre\\lib\\ext\\Comm.jar");
}

struct ClassicMapping {
    RunTimeError (*mapping)(DWORD);
    DWORD code;
    int number;
    const char* description;
};

class ClassicErrorTest : public ::testing::TestWithParam<ClassicMapping> {};

TEST_P(ClassicErrorTest, MapsOntoTheClassicNumberAndText) {
    const RunTimeError error = GetParam().mapping(GetParam().code);
    EXPECT_EQ(error.Number(), GetParam().number);
    EXPECT_EQ(error.Description(), GetParam().description);
}

INSTANTIATE_TEST_SUITE_P(
    Win32Errors, ClassicErrorTest,
    ::testing::Values(ClassicMapping{ErrorFromWin32, ERROR_FILE_NOT_FOUND, 53, "File not found"},
                      ClassicMapping{ErrorFromWin32, ERROR_PATH_NOT_FOUND, 76, "Path not found"},
                      ClassicMapping{ErrorFromWin32, ERROR_ACCESS_DENIED, 75,
                                     "Path/File access error"},
                      ClassicMapping{ErrorFromWin32, ERROR_DISK_FULL, 61, "Disk full"},
                      ClassicMapping{ErrorFromWin32, ERROR_HANDLE_DISK_FULL, 61, "Disk full"},
                      ClassicMapping{ErrorFromWin32, ERROR_READ_FAULT, 57, "Device I/O error"},
                      ClassicMapping{ErrorFromWin32, ERROR_WRITE_FAULT, 57, "Device I/O error"},
                      ClassicMapping{ErrorFromWin32, ERROR_IO_DEVICE, 57, "Device I/O error"}));

// A missing or invalid folder is "Path not found".
INSTANTIATE_TEST_SUITE_P(
    Folders, ClassicErrorTest,
    ::testing::Values(
        ClassicMapping{FolderErrorFromWin32, ERROR_FILE_NOT_FOUND, 76, "Path not found"},
        ClassicMapping{FolderErrorFromWin32, ERROR_PATH_NOT_FOUND, 76, "Path not found"},
        ClassicMapping{FolderErrorFromWin32, ERROR_DIRECTORY, 76, "Path not found"},
        ClassicMapping{FolderErrorFromWin32, ERROR_INVALID_NAME, 76, "Path not found"},
        ClassicMapping{FolderErrorFromWin32, ERROR_INVALID_DRIVE, 76, "Path not found"},
        ClassicMapping{FolderErrorFromWin32, ERROR_BAD_NETPATH, 76, "Path not found"},
        ClassicMapping{FolderErrorFromWin32, ERROR_ACCESS_DENIED, 75, "Path/File access error"},
        ClassicMapping{FolderErrorFromWin32, ERROR_DISK_FULL, 61, "Disk full"}));

// The classic text first, then the file; only a refused write says how to get the right to it.
INSTANTIATE_TEST_SUITE_P(
    Writes, ClassicErrorTest,
    ::testing::Values(ClassicMapping{WriteError, ERROR_ACCESS_DENIED, 75,
                                     "Path/File access error: C:\\jre\\lib\\ext\\Comm.jar\r\n"
                                     "Run Pellatone once as administrator to install the serial "
                                     "extension."},
                      ClassicMapping{WriteError, ERROR_DISK_FULL, 61,
                                     "Disk full: C:\\jre\\lib\\ext\\Comm.jar"},
                      ClassicMapping{WriteError, ERROR_WRITE_FAULT, 57,
                                     "Device I/O error: C:\\jre\\lib\\ext\\Comm.jar"}));

// Codes without a classic counterpart keep the system's own words.
class SystemErrorTest : public ::testing::TestWithParam<DWORD> {};

TEST_P(SystemErrorTest, CarriesTheSystemDescriptionTrimmed) {
    const RunTimeError error = ErrorFromWin32(GetParam());
    EXPECT_EQ(error.Number(), error_number::kSystemError);
    EXPECT_EQ(error_number::kSystemError, 75);
    const std::string description = error.Description();
    ASSERT_FALSE(description.empty());
    EXPECT_EQ(description.find_last_not_of(" \t\r\n"), description.size() - 1) << description;
    EXPECT_EQ(description.rfind("System error ", 0), std::string::npos) << description;
    EXPECT_EQ(description, SystemErrorDescription(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Win32Errors, SystemErrorTest,
                         ::testing::Values(ERROR_INVALID_FUNCTION, ERROR_SHARING_VIOLATION,
                                           ERROR_NOT_READY, ERROR_ALREADY_EXISTS,
                                           // Its text holds an insert, filled with a stand-in.
                                           ERROR_BAD_EXE_FORMAT));

TEST(SystemErrorDescriptionTest, DiffersFromCodeToCode) {
    EXPECT_NE(SystemErrorDescription(ERROR_SHARING_VIOLATION),
              SystemErrorDescription(ERROR_NOT_READY));
}

TEST(SystemErrorDescriptionTest, NamesTheNumberWhenTheSystemHasNoText) {
    // Bit 29 marks codes that applications define, so the system knows none of them.
    constexpr DWORD kApplicationCode = 0x20001234;
    EXPECT_EQ(SystemErrorDescription(kApplicationCode), "System error 536875572");
    EXPECT_EQ(ErrorFromWin32(kApplicationCode).Number(), error_number::kSystemError);
}

TEST(LastErrorTest, ReadsTheThreadsLastError) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(LastError().Number(), 76);
    SetLastError(ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(LastError().Number(), 53);
}

struct NotFoundCase {
    DWORD code;
    bool notFound;
};

class MeansNotFoundTest : public ::testing::TestWithParam<NotFoundCase> {};

TEST_P(MeansNotFoundTest, OnlyAbsenceCountsAsNoFile) {
    EXPECT_EQ(MeansNotFound(GetParam().code), GetParam().notFound);
}

INSTANTIATE_TEST_SUITE_P(Win32Errors, MeansNotFoundTest,
                         ::testing::Values(NotFoundCase{ERROR_FILE_NOT_FOUND, true},
                                           NotFoundCase{ERROR_PATH_NOT_FOUND, true},
                                           NotFoundCase{ERROR_INVALID_NAME, true},
                                           NotFoundCase{ERROR_INVALID_DRIVE, true},
                                           NotFoundCase{ERROR_BAD_NETPATH, true},
                                           NotFoundCase{ERROR_BAD_NET_NAME, true},
                                           NotFoundCase{ERROR_ACCESS_DENIED, false},
                                           NotFoundCase{ERROR_NOT_READY, false},
                                           NotFoundCase{ERROR_SHARING_VIOLATION, false},
                                           NotFoundCase{ERROR_IO_DEVICE, false}));

}  // namespace
}  // namespace pellatone::win32
