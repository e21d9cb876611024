#include "app_harness.h"

// Registered before gtest_main runs the tests: one QApplication for the whole run.
static ::testing::Environment* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new qttest::QtAppEnvironment("app_tests"));
