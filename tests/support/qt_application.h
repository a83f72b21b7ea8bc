#pragma once

#include <QtGlobal>

#include <gtest/gtest.h>

#include <cerrno>
#include <memory>
#include <string>

namespace ov::test {

/// The Qt application object of a whole test program: made before its first test, ended after
/// its last. Offscreen, unless OV_SCREENSHOTS asks for a real screen (screenshots under Xvfb).
template <typename App>
class QtApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("OV_SCREENSHOTS")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        // Qt keeps the arguments for the application's whole life.
        static std::string name = program_invocation_short_name;
        static int argc = 1;
        static char* argv[] = {name.data(), nullptr};
        m_app = std::make_unique<App>(argc, argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    std::unique_ptr<App> m_app;
};

}  // namespace ov::test
