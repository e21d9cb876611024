// The one QApplication of the platformqt test program, whichever test files it holds.
#pragma once

#include <gtest/gtest.h>

#include "common/qt_test_app.h"

namespace platformqt {

inline ::testing::Environment* const kQtApp =
    ::testing::AddGlobalTestEnvironment(new qttest::QtAppEnvironment("platformqt_tests"));

} // namespace platformqt
