// The one QApplication of a Qt test program. It lives from the first test's set-up to the end of
// the test run, and is gone before static destructors run. Register it once per program with
// ::testing::AddGlobalTestEnvironment.
#pragma once

#include <QApplication>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <utility>

namespace qttest {

class QtAppEnvironment : public ::testing::Environment {
public:
    // `name` is the program name the application sees as argv[0].
    explicit QtAppEnvironment(std::string name) : name_(std::move(name)) {}
    QtAppEnvironment(const QtAppEnvironment&) = delete;
    QtAppEnvironment& operator=(const QtAppEnvironment&) = delete;

    void SetUp() override {
        // CTest runs these tests on the offscreen platform; a direct run falls back to it too.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app_ = std::make_unique<QApplication>(argc_, argv_);
    }
    void TearDown() override { app_.reset(); }

private:
    std::string name_;
    int argc_ = 1;
    char* argv_[2] = {name_.data(), nullptr};
    std::unique_ptr<QApplication> app_;
};

} // namespace qttest
