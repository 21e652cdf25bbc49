#pragma once

#include "app/velmora_application.h"

#include <gtest/gtest.h>

#include <memory>

namespace velmora::testing {

// One application object for the whole test program, gone before exit so
// that Qt's own statics outlive it. The program refreshes rates at start:
// the feeds point at a closed local port, so they fail at once.
class ApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        qputenv("VELMORA_RATES_BASE_URL", "http://127.0.0.1:9");
        instance = std::make_unique<VelmoraApplication>(argc, argv);
    }
    void TearDown() override { instance.reset(); }

    static inline std::unique_ptr<VelmoraApplication> instance;

private:
    int argc = 1;
    char name[16] = "velmora_test";
    char* argv[2] = {name, nullptr};
};

} // namespace velmora::testing
