#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform_services.h"
#include "platform/splash_window.h"

namespace pellatone::testing {

// Thrown by FakePlatform::EndProgram. It is deliberately not a std::exception, so that no error
// path of the program can take it for an error.
struct ProgramEnded {
    int exitStatus;
};

// Records every call as one line of a shared event log, so tests can check order across fakes.
class FakePlatform : public PlatformServices {
public:
    explicit FakePlatform(std::vector<std::string>& log) : log_(log) {}

    void ShowMessage(const std::string& text) override {
        log_.push_back("message: " + text);
        messages.push_back(text);
        if (onShowMessage) onShowMessage(text);
    }
    [[noreturn]] void EndProgram(int exitStatus) override {
        log_.push_back("end program: " + std::to_string(exitStatus));
        throw ProgramEnded{exitStatus};
    }
    [[nodiscard]] std::string ApplicationFolder() const override { return applicationFolder; }
    void StartProcessInFolder(const std::string& commandLine, const std::string& folder) override {
        log_.push_back("start process in " + folder + ": " + commandLine);
        if (failStartProcess) throw *failStartProcess;
        startedCommandLines.push_back(commandLine);
    }
    // The steps of starting through the working folder, as on Windows: each is logged and can
    // fail.
    [[nodiscard]] std::string GetWorkingFolder() const {
        log_.push_back("get working folder");
        if (failGetWorkingFolder) throw *failGetWorkingFolder;
        return workingFolder;
    }
    void SetWorkingFolder(const std::string& folder) {
        log_.push_back("set working folder: " + folder);
        if (folder == failSetWorkingFolderTo) throw PathNotFound();
        workingFolder = folder;
    }
    void StartProcess(const std::string& commandLine) {
        StartProcessInFolder(commandLine, workingFolder);
    }
    void ReportUncaughtError(const RunTimeError& error) override {
        log_.push_back("uncaught error: " + UncaughtErrorReport(error));
    }

    std::string applicationFolder = "C:\\app";
    std::string workingFolder = "C:\\users\\me";
    std::optional<RunTimeError> failGetWorkingFolder;
    std::string failSetWorkingFolderTo;  // empty: never fails
    std::optional<RunTimeError> failStartProcess;
    std::vector<std::string> messages;
    // Runs after every message is shown, and may throw anything.
    std::function<void(const std::string&)> onShowMessage;
    std::vector<std::string> startedCommandLines;

private:
    std::vector<std::string>& log_;
};

class FakeSplashWindow : public SplashWindow {
public:
    explicit FakeSplashWindow(std::vector<std::string>& log) : log_(log) {}
    void Unload() override { log_.push_back("unload splash"); }

private:
    std::vector<std::string>& log_;
};

}  // namespace pellatone::testing
