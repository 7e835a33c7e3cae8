#pragma once

#include <array>
#include <string>
#include <string_view>

namespace pellatone::testing {

// The program's fixed texts, spelled out here once for every test that checks them and never
// read from the program, so that a text changed there fails the tests.

// Java runtime discovery: no runtime key, no version of 1.5 or later, and any other failure.
inline const std::string kNotInstalled =
    "You have not Installed Java Runtime Environment on your computer.\r\n"
    "Download and install Java Runtime Environment Version 1.5 or higher version.\r\n"
    "Please refer installtion guide of Pellatone for further help";
inline const std::string kNotAvailable =
    "Java Runtime Environment version 1.5 or higher version is not avaiable";
inline const std::string kSearchError = "Error While Searching JVM on Your Machine";

// Shown after the description of a failed copy of an extension file.
inline const std::string kCopyError = "Error While Copying JAR File";
// The description of a file another program put in place meanwhile that differs from ours.
inline std::string ForeignFileText(const std::string& path) {
    return "File already exists: " + path +
           "\r\nIt differs from the file being installed. Remove it and start Pellatone again.";
}

// Vexmora's class path: these jar files in Vexmora\lib, in this order, then Vexmora itself.
inline constexpr std::array<std::string_view, 10> kVexmoraJars{"comm.jar",
                                                               "jdc.jar",
                                                               "jxl.jar",
                                                               "log4j-1.2.8.jar",
                                                               "Vexmora.jar",
                                                               "slf4j-log4j12-1.1.0.jar",
                                                               "slf4j-api-1.1.0.jar",
                                                               "slf4j-simple-1.1.0.jar",
                                                               "swing-layout-1.0.jar",
                                                               "win32com.dll.jar"};

}  // namespace pellatone::testing
