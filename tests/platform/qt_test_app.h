// The one QApplication of the Qt backend tests. It lives from the first test's set-up to the end
// of the test run, and is gone before static destructors run.
#pragma once

#include <QApplication>
#include <gtest/gtest.h>
#include <memory>

namespace platform::test {

class QtAppEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        // CTest runs these tests on the offscreen platform; a direct run falls back to it too.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app_ = std::make_unique<QApplication>(argc_, argv_);
    }
    void TearDown() override { app_.reset(); }

private:
    int argc_ = 1;
    char name_[17] = "platform_qt_test";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};

} // namespace platform::test
