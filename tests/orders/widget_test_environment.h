#pragma once

// One application object for a test program of the order windows, with the
// opening of saved workbooks in the desktop's program switched off.

#include "platform/spreadsheet/handover.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <memory>

namespace velmora::orders::test {

class WidgetTestEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "orders_widget_test";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QApplication>(argc, argv);
        sheet::setDesktopOpeningEnabled(false);
    }
    void TearDown() override { app_.reset(); }

private:
    std::unique_ptr<QApplication> app_;
};

} // namespace velmora::orders::test
