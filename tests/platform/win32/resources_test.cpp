// The artwork as the program carries it: the icon file in the repository and the resources the
// resource script puts into the program (linked into this test program the same way).
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/run_time_error.h"
#include "platform/splash_window.h"
#include "platform/win32/resource_ids.h"
#include "platform/win32/splash_picture.h"
#include "platform/win32/unique_resource.h"
#include "support/temporary_folder.h"

namespace pellatone::win32 {
namespace {

std::vector<unsigned char> ReadBytes(const char* path) {
    const std::string contents = testing::ReadFile(testing::PathOf(path));
    return {contents.begin(), contents.end()};
}

unsigned Word(const std::vector<unsigned char>& bytes, std::size_t at) {
    return bytes.at(at) | (bytes.at(at + 1) << 8U);
}

std::uint32_t DoubleWord(const std::vector<unsigned char>& bytes, std::size_t at) {
    return Word(bytes, at) | (static_cast<std::uint32_t>(Word(bytes, at + 2)) << 16U);
}

TEST(IconFileTest, Holds32And16PixelImagesOf256Colours) {
    const std::vector<unsigned char> icon = ReadBytes(PELLATONE_ICON_PATH);
    ASSERT_GE(icon.size(), 6U);
    EXPECT_EQ(Word(icon, 0), 0U);  // reserved
    EXPECT_EQ(Word(icon, 2), 1U);  // an icon, not a cursor
    ASSERT_EQ(Word(icon, 4), 2U);  // two images
    const unsigned expectedSizes[] = {32, 16};
    for (std::size_t index = 0; index < 2; ++index) {
        const std::size_t entry = 6 + index * 16;
        SCOPED_TRACE("image " + std::to_string(index));
        EXPECT_EQ(icon.at(entry), expectedSizes[index]);      // width
        EXPECT_EQ(icon.at(entry + 1), expectedSizes[index]);  // height
        EXPECT_EQ(icon.at(entry + 2), 0U);                    // 0 means 256 colours
        const std::uint32_t offset = DoubleWord(icon, entry + 12);
        // The image itself: a bitmap header with an 8-bit palette of 256 entries.
        ASSERT_EQ(DoubleWord(icon, offset), 40U);
        EXPECT_EQ(DoubleWord(icon, offset + 4), expectedSizes[index]);
        EXPECT_EQ(DoubleWord(icon, offset + 8), 2 * expectedSizes[index]);  // image and mask
        EXPECT_EQ(Word(icon, offset + 14), 8U);                             // bits per pixel
        const std::uint32_t coloursUsed = DoubleWord(icon, offset + 32);
        EXPECT_TRUE(coloursUsed == 0 || coloursUsed == 256) << coloursUsed;
    }
}

TEST(ProgramResourcesTest, TheSplashPictureDecodesAt487By517) {
    const Picture picture = DecodePicture(ProgramResourceData(PELLATONE_IDR_SPLASH_PICTURE));
    EXPECT_EQ(picture.width, 487);
    EXPECT_EQ(picture.height, 517);
    BITMAP described{};
    ASSERT_NE(GetObjectW(picture.bitmap.Get(), sizeof(described), &described), 0);
    EXPECT_EQ(described.bmWidth, 487);
    EXPECT_EQ(described.bmHeight, 517);
}

TEST(ProgramResourcesTest, TheSplashResourceIsAGif89a) {
    const auto data = ProgramResourceData(PELLATONE_IDR_SPLASH_PICTURE);
    ASSERT_GE(data.size(), 6U);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(data.data()), 6), "GIF89a");
}

TEST(ProgramResourcesTest, AMissingResourceIsAnError) {
    EXPECT_THROW(static_cast<void>(ProgramResourceData(9999)), RunTimeError);
}

TEST(ProgramResourcesTest, BytesThatAreNoPictureAreAnError) {
    const std::byte garbage[] = {std::byte{'G'}, std::byte{'I'}, std::byte{'F'}, std::byte{0}};
    EXPECT_THROW(static_cast<void>(DecodePicture(garbage)), RunTimeError);
    EXPECT_THROW(static_cast<void>(DecodePicture({})), RunTimeError);
}

std::wstring VersionText(const std::vector<unsigned char>& block, const wchar_t* name) {
    void* value = nullptr;
    UINT length = 0;
    const std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    if (VerQueryValueW(block.data(), query.c_str(), &value, &length) == 0 || length == 0) return {};
    return {static_cast<const wchar_t*>(value)};
}

TEST(ProgramResourcesTest, VersionInformationNamesTheProductAndItsVersion) {
    wchar_t path[MAX_PATH] = {};
    ASSERT_NE(GetModuleFileNameW(nullptr, path, MAX_PATH), 0U);
    const DWORD size = GetFileVersionInfoSizeW(path, nullptr);
    ASSERT_NE(size, 0U);
    std::vector<unsigned char> block(size);
    ASSERT_NE(GetFileVersionInfoW(path, 0, size, block.data()), 0);
    EXPECT_EQ(VersionText(block, L"ProductName"), L"Pellatone");
    EXPECT_EQ(VersionText(block, L"ProductVersion"), L"" PELLATONE_PROJECT_VERSION);
    EXPECT_EQ(VersionText(block, L"OriginalFilename"), L"pellatone.exe");
}

TEST(ProgramResourcesTest, TheManifestAsksToRunAsInvoker) {
    HRSRC manifest = FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(manifest, nullptr);
    const auto* text = static_cast<const char*>(LockResource(LoadResource(nullptr, manifest)));
    ASSERT_NE(text, nullptr);
    const std::string manifestText(text, SizeofResource(nullptr, manifest));
    EXPECT_NE(manifestText.find("level=\"asInvoker\""), std::string::npos);
}

class ProgramIconTest : public ::testing::TestWithParam<int> {};

TEST_P(ProgramIconTest, LoadsAtTheAskedSize) {
    const int size = GetParam();
    const UniqueIcon icon(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr),
                                                        MAKEINTRESOURCEW(PELLATONE_IDI_PROGRAM),
                                                        IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
    ASSERT_TRUE(icon);
    ICONINFO info{};
    ASSERT_NE(GetIconInfo(icon.Get(), &info), 0);
    const UniqueBitmap colour(info.hbmColor);
    const UniqueBitmap mask(info.hbmMask);
    BITMAP described{};
    ASSERT_NE(GetObjectW(colour.Get(), sizeof(described), &described), 0);
    EXPECT_EQ(described.bmWidth, size);
    EXPECT_EQ(described.bmHeight, size);
}

INSTANTIATE_TEST_SUITE_P(Sizes, ProgramIconTest, ::testing::Values(32, 16));

}  // namespace
}  // namespace pellatone::win32
