// bytescope-tool itl template: the language file a translator starts from, listing every key of
// the trainer's windows and its direct lookups in the order the program first misses them.
#include "CommandOptions.h"
#include "Commands.h"
#include "ItlOutput.h"

#include "app/TApplication.h"
#include "app/TFrmAbout.h"
#include "app/TFrmMain.h"
#include "i18n/TBabelfish2000.h"
#include "serverlink/TkdbDemonClient.h"

#include <QTimer>

#include <cstdio>
#include <string>

namespace {

const char* const kTemplateUsage =
    "usage: bytescope-tool itl template --out FILE\n"
    "\n"
    "Builds the trainer's two windows off screen with language-file generation on and\n"
    "writes every key they look up to FILE, each with itself as its text: the main\n"
    "window's texts, the direct keys of its first show, then the About box's texts.\n";

// Shows the main window as the program does; the About box that its first show opens is closed
// as soon as it is up.
void RunFirstShow(TFrmMain& main, TFrmAbout& about)
{
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&about] {
        if (about.isVisible())
            about.close();
    });
    closer.start(10);
    main.show();
}

} // namespace

int RunItlTemplateCommand(const CommandArgs& args, int argc, char** argv)
{
    if (!args.empty() && CommandOptions::IsHelp(args[0])) {
        std::fputs(kTemplateUsage, stdout);
        return 0;
    }
    CommandOptions options({{"out", true}}, CommandOptions::WordsEndOptions::No);
    if (!options.Parse(args) || !options.Words().empty() || options.Count("out") != 1)
        return Fail(2, "itl template: expected --out FILE (see 'itl template --help')");
    const std::string out = options.Value("out");

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication application(argc, argv);
    std::string failure;
    application.OnErrorBox = [&failure](const std::string&, const std::string& text) {
        failure = text;
    };

    TFrmMainSetup setup;
    setup.MultiStart = true; // a running trainer must not end the tool
    setup.AutoCreateItlFile = true;
    setup.ReadLanguageFile = false; // a file beside the tool would hide the keys it translates
    TFrmMain main(setup);
    TFrmAbout about;
    main.SetAboutBox(&about);
    RunFirstShow(main, about);
    if (!failure.empty())
        return Fail(1, "itl template: " + failure);

    return WriteGeneratedItlFile(main.cliDemon()->Babelfish(), out, "itl template");
}
