// A QGuiApplication for the whole test program, so that fonts, painters and images work.
#pragma once

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <memory>

namespace omni::test {

class GuiEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "menucode_test";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QGuiApplication>(argc, argv);
    }
    void TearDown() override { app_.reset(); }

private:
    std::unique_ptr<QGuiApplication> app_;
};

}  // namespace omni::test
