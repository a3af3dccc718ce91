#include "controls/qt/Guarded.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

// An application object with an error sink, like the program's, but of Qt Core alone.
class SinkApplication : public QCoreApplication, public ExceptionSink
{
public:
    SinkApplication(int& argc, char** argv) : QCoreApplication(argc, argv) {}

    void HandleException(std::exception_ptr error) override
    {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            Errors.emplace_back(e.what());
        } catch (...) {
            Errors.emplace_back("?");
        }
    }

    std::vector<std::string> Errors;
};

} // namespace

// This program links the server link and nothing of Qt besides what the link brings: the link
// reaches the application's error seam, and it does so without Qt Gui or Qt Widgets, so headless
// programs that use the link do not carry the widget toolkit.
TEST(ErrorSeam, ServerlinkHandsErrorsToTheApplicationWithQtCoreAlone)
{
#if defined(QT_WIDGETS_LIB) || defined(QT_GUI_LIB)
    ADD_FAILURE() << "linking serverlink brings Qt Gui or Qt Widgets along";
#endif
    int argc = 1;
    char name[] = "seam";
    char* argv[] = {name, nullptr};
    SinkApplication application(argc, argv);

    std::vector<std::string> steps;
    EXPECT_TRUE(Guarded([&] { steps.emplace_back("ran"); }));
    EXPECT_FALSE(Guarded([&] {
        steps.emplace_back("started");
        throw std::runtime_error("Request failed");
    }));
    EXPECT_FALSE(Guarded([] { throw 42; }));
    EXPECT_EQ(steps, (std::vector<std::string>{"ran", "started"}));
    EXPECT_EQ(application.Errors, (std::vector<std::string>{"Request failed", "?"}));
}
