#include "app/launch/server_command_line.h"

#include <array>

namespace pellatone {

namespace {

constexpr std::string_view kServerMainClass = "VEXMORA.Frame11";

struct ClassPathEntry {
    std::string_view relativePath;
    bool last;
};

// The entries are fixed: they do not depend on which files exist.
constexpr std::array<ClassPathEntry, 11> kServerClassPath{{
    {.relativePath = R"(\Vexmora\lib\comm.jar)", .last = false},
    {.relativePath = R"(\Vexmora\lib\jdc.jar)", .last = false},
    {.relativePath = R"(\Vexmora\lib\jxl.jar)", .last = false},
    {.relativePath = R"(\Vexmora\lib\log4j-1.2.8.jar)", .last = false},
    {.relativePath = R"(\Vexmora\lib\Vexmora.jar)", .last = false},
    {.relativePath = R"(\Vexmora\lib\slf4j-log4j12-1.1.0.jar)", .last = false},
    {.relativePath = R"(\Vexmora\lib\slf4j-api-1.1.0.jar)", .last = false},
    {.relativePath = R"(\Vexmora\lib\slf4j-simple-1.1.0.jar)", .last = false},
    {.relativePath = R"(\Vexmora\lib\swing-layout-1.0.jar)", .last = false},
    {.relativePath = R"(\Vexmora\lib\win32com.dll.jar)", .last = false},
    {.relativePath = R"(\Vexmora)", .last = true},
}};

// Appends the piece in double quotes as the Windows C runtime reads them back: a quote inside is
// written \", and the backslashes right before a written quote are doubled, so that any path
// (one holding quotes on Linux, say) comes back from the split exactly as it went in.
void AppendQuoted(std::string& line, std::string_view piece) {
    line += '"';
    std::size_t backslashes = 0;
    for (const char c : piece) {
        if (c == '\\') {
            ++backslashes;
        } else {
            if (c == '"') line.append(backslashes + 1, '\\');
            backslashes = 0;
        }
        line += c;
    }
    line.append(backslashes, '\\');
    line += '"';
}

}  // namespace

std::string BuildServerCommandLine(std::string_view javaHomeFolder,
                                   std::string_view applicationFolder, PathConvention convention) {
    const bool windows = convention == PathConvention::kWindows;
    std::string line;
    if (javaHomeFolder.empty()) {
        line += "java ";
    } else {
        // Quoted so that a Java home with blanks is neither split nor open to a
        // "C:\Program.exe" hijack.
        std::string program(javaHomeFolder);
        program += windows ? "\\bin\\java.exe" : "/bin/java";
        AppendQuoted(line, program);
        line += ' ';
    }
    line += "-classpath ";
    for (const ClassPathEntry& entry : kServerClassPath) {
        AppendQuoted(line,
                     std::string(applicationFolder) + InConvention(entry.relativePath, convention));
        if (entry.last) {
            line += ' ';
        } else {
            line += windows ? ';' : ':';
        }
    }
    line += kServerMainClass;
    return line;
}

}  // namespace pellatone
