#include "AppTestSupport.h"

#include "controls/hyperlink/TUrlLab.h"
#include "controls/qt/QtBridge.h"
#include "support/TempDir.h"

#include <QLabel>
#include <QTimer>
#include <QWindow>

TApplication& App()
{
    return *static_cast<TApplication*>(QCoreApplication::instance());
}

std::string LanguageFile(const std::string& name)
{
    return ReadFileBytes(std::filesystem::path(BYTESCOPE_SOURCE_DIR) / "lang" / name);
}

std::string LanguageOf(const std::vector<std::pair<std::string, std::string>>& entries)
{
    std::string text;
    for (const auto& [key, value] : entries)
        text += "[" + key + "]=" + value + "|$$\r\n";
    return text;
}

Trainer::Trainer(std::string language) : FAppIcon(QApplication::windowIcon())
{
    App().OnErrorBox = [this](const std::string& caption, const std::string& text) {
        FErrors.push_back({caption, text});
    };
    TFrmMainSetup setup;
    setup.MultiStart = true;
    setup.Language = std::move(language);
    FMain = std::make_unique<TFrmMain>(setup);
    FAbout = std::make_unique<TFrmAbout>();
    FMain->SetAboutBox(FAbout.get());
}

Trainer::~Trainer()
{
    App().OnErrorBox = nullptr;
    QApplication::setWindowIcon(FAppIcon);
}

AboutSnapshot Trainer::Show()
{
    return WhileAboutOpens([this] { FMain->show(); });
}

AboutSnapshot Trainer::WhileAboutOpens(const std::function<void()>& action)
{
    AboutSnapshot snapshot;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        TFrmAbout& about = *FAbout;
        if (!about.isVisible())
            return;
        snapshot.Shown = true;
        snapshot.MainOnScreen = FMain->windowHandle() != nullptr && FMain->windowHandle()->isVisible();
        snapshot.Frame = about.frameGeometry();
        snapshot.Title = about.windowTitle();
        snapshot.Name = about.LblName()->text();
        snapshot.Version = about.LblVersion()->text();
        snapshot.WebSite = about.LblWebSite()->text();
        snapshot.Description = about.LblDescription()->text();
        snapshot.HomeCaption = about.UrlLabHomepage()->text();
        snapshot.HomeUrl = about.UrlLabHomepage()->URL();
        snapshot.HomeVisible = about.UrlLabHomepage()->isVisible();
        snapshot.QZLTop = about.UrlLabQZLSuite()->y();
        snapshot.SimulationsTop = about.UrlLabSimulations()->y();
        snapshot.HomeTop = about.UrlLabHomepage()->y();
        about.close();
    });
    watcher.start(5);
    action();
    return snapshot;
}
