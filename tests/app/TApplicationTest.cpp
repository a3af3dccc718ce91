#include "AppTestSupport.h"

#include "controls/hyperlink/TUrlLab.h"
#include "platform/ProgramPath.h"

#include <QTest>
#include <gtest/gtest.h>

#include <stdexcept>
#include <utility>

namespace {

// An object whose event handling fails, as a handler of the program might.
class FailingObject : public QObject
{
public:
    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::User)
            throw std::runtime_error("Handler failed");
        return QObject::event(event);
    }
};

} // namespace

TEST(TApplication, ErrorBoxTextGetsAFullStopAfterCharactersAboveIt)
{
    // Message, then the box's text; "!", ")" and "-" sort before ".", "/" and "\xE9" after it.
    const std::pair<const char*, const char*> rows[] = {
        {"Stream read error", "Stream read error."},
        {"Done.", "Done."},
        {"Really!", "Really!"},
        {"(errnum=2)", "(errnum=2)"},
        {"x-", "x-"},
        {"x/", "x/."},
        {"caf\xE9", "caf\xE9."},
        {"", ""},
    };
    for (const auto& [message, text] : rows)
        EXPECT_EQ(ErrorBoxText(message), text) << message;
}

TEST(TApplication, TitleComesFromTheProgramFile)
{
    EXPECT_EQ(App().Title(), ApplicationTitle(ProgramPath()));
    EXPECT_EQ(App().Title(), "App_test");
}

TEST(TApplication, ErrorsOfHandlersReachTheErrorBoxAndTheProgramCarriesOn)
{
    Trainer trainer;
    trainer.Show();
    TUrlLab* link = trainer.About().UrlLabSimulations();
    link->SetURL("ftp://example.org/");
    int clicks = 0;
    link->OnClick = [&](TUrlLab&) {
        ++clicks;
    };
    // Clicked while the box is open, the link fails; the box reports it and stays usable.
    trainer.About().show();
    QTest::mouseClick(link, Qt::LeftButton);
    trainer.About().close();
    ASSERT_EQ(trainer.Errors().size(), 1u);
    EXPECT_EQ(trainer.Errors()[0].Caption, App().Title());
    EXPECT_EQ(trainer.Errors()[0].Text, "Component \"UrlLabSimulations\": URL of URLLab is invalid.");
    EXPECT_EQ(clicks, 0);

    // Whatever a handler lets through is caught where events are delivered.
    FailingObject failing;
    QEvent event(QEvent::User);
    QCoreApplication::sendEvent(&failing, &event);
    ASSERT_EQ(trainer.Errors().size(), 2u);
    EXPECT_EQ(trainer.Errors()[1].Text, "Handler failed.");
}
