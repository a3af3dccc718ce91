#pragma once

#include "app/TApplication.h"
#include "app/TFrmAbout.h"
#include "app/TFrmMain.h"

#include <QIcon>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <vector>

// What the About box showed while it was open.
struct AboutSnapshot
{
    bool Shown = false;
    bool MainOnScreen = false; // whether the main window was already on the screen meanwhile
    QRect Frame;               // where the box stood, with its frame
    QString Title;
    QString Name;
    QString Version;
    QString WebSite;
    QString Description;
    QString HomeCaption;
    std::string HomeUrl;
    bool HomeVisible = false;
    int QZLTop = 0;
    int SimulationsTop = 0;
    int HomeTop = 0;
};

struct ErrorBox
{
    std::string Caption;
    std::string Text;
};

// The two windows of the program, as its entry creates them; the error box is recorded. The
// application's icon, which a language file may replace at the first show, is put back at the end.
class Trainer
{
public:
    explicit Trainer(std::string language = {});
    ~Trainer();

    TFrmMain& Main() { return *FMain; }
    TFrmAbout& About() { return *FAbout; }
    const std::vector<ErrorBox>& Errors() const { return FErrors; }

    // Shows the main window; the About box that opens meanwhile is recorded and closed.
    AboutSnapshot Show();
    // Runs `action`, recording and closing an About box that it opens.
    AboutSnapshot WhileAboutOpens(const std::function<void()>& action);

private:
    std::unique_ptr<TFrmMain> FMain;
    std::unique_ptr<TFrmAbout> FAbout;
    std::vector<ErrorBox> FErrors;
    QIcon FAppIcon;
};

TApplication& App();

// A language file from the repository's lang/ folder, as bytes.
std::string LanguageFile(const std::string& name);
// A language file made of the given entries ("key", "text").
std::string LanguageOf(const std::vector<std::pair<std::string, std::string>>& entries);
