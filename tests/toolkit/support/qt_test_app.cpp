// Widgets need one QApplication for the whole test run.
#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

namespace {

class QtApplicationEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        app_ = std::make_unique<QApplication>(argc_, argv_);
        // Tests open and close many windows; the application outlives them all.
        app_->setQuitOnLastWindowClosed(false);
    }
    void TearDown() override { app_.reset(); }

  private:
    inline static char name_[] = "mirelko_gui_test";
    inline static char* argv_[] = {name_, nullptr};
    inline static int argc_ = 1;
    std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] const ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

}  // namespace
