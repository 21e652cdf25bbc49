#pragma once

#include "app/velmora_application.h"

#include <QFile>
#include <QSize>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace velmora::testing {

// The screen the offscreen tests see: a common shop laptop's.
constexpr QSize kLaptopScreen(1366, 768);

// One application object for the whole test program, gone before exit so
// that Qt's own statics outlive it. The program refreshes rates at start:
// the feeds point at a closed local port, so they fail at once. Offscreen,
// the screen is a laptop's (kLaptopScreen); on a real display it is that
// display's.
class ApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        qputenv("VELMORA_RATES_BASE_URL", "http://127.0.0.1:9");
        if (qgetenv("QT_QPA_PLATFORM") == "offscreen")
            useLaptopScreen();
        instance = std::make_unique<VelmoraApplication>(argc, argv);
    }
    void TearDown() override { instance.reset(); }

    static inline std::unique_ptr<VelmoraApplication> instance;

private:
    void useLaptopScreen()
    {
        const QString config = folder_.filePath(QStringLiteral("screen.json"));
        QFile file(config);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("{\"screens\": [{\"name\": \"laptop\", \"x\": 0, \"y\": 0, \"width\": %1,"
                                  " \"height\": %2, \"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1}]}")
                       .arg(kLaptopScreen.width())
                       .arg(kLaptopScreen.height())
                       .toUtf8());
        file.close();
        qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toLocal8Bit());
    }

    QTemporaryDir folder_;
    int argc = 1;
    char name[16] = "velmora_test";
    char* argv[2] = {name, nullptr};
};

} // namespace velmora::testing
