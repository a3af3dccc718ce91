#include "AppTestSupport.h"

#include "app/Pictures.h"

#include "controls/dotmatrix/TRasterLab.h"
#include "controls/hyperlink/TUrlLab.h"
#include "platform/BytePath.h"
#include "platform/ProgramPath.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>

namespace {

const char* const kEnglishStart = "This program serves to visualize the ASCII encoding.";
const char* const kGermanStart = "Dieses Programm dient zur Veranschaulichung der ASCII-Kodierung.";

// An icon file in the work area, which without a server is the program's own folder; removed
// again when the test ends.
class WorkAreaFile
{
public:
    explicit WorkAreaFile(const std::string& suffix)
        : FName("app_test-" + std::to_string(QCoreApplication::applicationPid()) + "-" + suffix),
          FPath(PathFromBytes(FolderPart(ProgramPath()) + FName))
    {}
    ~WorkAreaFile() { std::filesystem::remove(FPath); }
    const std::string& Name() const { return FName; }
    const std::filesystem::path& Path() const { return FPath; }

private:
    std::string FName;
    std::filesystem::path FPath;
};

QRgb CornerOf(const QIcon& icon)
{
    return icon.pixmap(16, 16).toImage().pixel(0, 0);
}

void ExpectEnglishAboutWithoutHomePage(const AboutSnapshot& about)
{
    EXPECT_TRUE(about.Shown);
    EXPECT_EQ(about.Name, "Bytescope");
    EXPECT_EQ(about.Version, "Version 1.0");
    EXPECT_EQ(about.WebSite, "More information can be found at the following Web sites:");
    EXPECT_TRUE(about.Description.startsWith(kEnglishStart));
    EXPECT_FALSE(about.HomeVisible);
    EXPECT_EQ(about.QZLTop, 16);
    EXPECT_EQ(about.SimulationsTop, 32);
}

} // namespace

TEST(FirstShow, WithoutALanguageFileTheEnglishAboutBoxOpensAloneBeforeTheWindow)
{
    Trainer trainer;
    const qint64 iconBefore = trainer.Main().windowIcon().cacheKey();
    const AboutSnapshot about = trainer.Show();
    ExpectEnglishAboutWithoutHomePage(about);
    EXPECT_FALSE(about.MainOnScreen);
    EXPECT_EQ(about.Title, "About");
    EXPECT_EQ(trainer.About().BButOK()->text(), "OK");
    EXPECT_EQ(about.HomeCaption, "HomePage");
    EXPECT_EQ(about.HomeUrl, "HomePageURL");
    EXPECT_TRUE(trainer.Main().isVisible());
    EXPECT_EQ(trainer.Main().Code(), 65);
    EXPECT_EQ(trainer.Main().RLabBin()->Text(), "01000001");
    EXPECT_EQ(trainer.Main().RLabAscii()->Text(), "A");
    EXPECT_EQ(trainer.Main().windowIcon().cacheKey(), iconBefore);
    EXPECT_TRUE(trainer.Errors().empty());

    // Info opens the same box again under the same rule; the hidden link stays hidden.
    const AboutSnapshot again =
        trainer.WhileAboutOpens([&] { QTest::mouseClick(trainer.Main().BButInfo(), Qt::LeftButton); });
    ExpectEnglishAboutWithoutHomePage(again);
    EXPECT_EQ(trainer.Main().Code(), 65);
}

TEST(FirstShow, EnglishLanguageFileOffersTheHomePage)
{
    Trainer trainer(LanguageFile("bytescope.en.itl"));
    const AboutSnapshot about = trainer.Show();
    EXPECT_TRUE(about.Shown);
    EXPECT_EQ(about.Title, "About Bytescope");
    EXPECT_TRUE(about.Description.startsWith(kEnglishStart));
    EXPECT_TRUE(about.HomeVisible);
    EXPECT_EQ(about.HomeCaption, "Bytescope home page");
    EXPECT_EQ(about.HomeUrl, "http://bytescope.norvane.example/");
    EXPECT_EQ(about.QZLTop, 8);
    EXPECT_EQ(about.SimulationsTop, 24);
    EXPECT_EQ(about.HomeTop, 40);

    const AboutSnapshot again = trainer.WhileAboutOpens([&] { trainer.Main().BButInfoClick(nullptr); });
    EXPECT_TRUE(again.HomeVisible);
    EXPECT_EQ(again.QZLTop, 8);
}

TEST(FirstShow, GermanDialogueLanguageInAnyLetterCase)
{
    for (const char* language : {"lgGerman", "LGGERMAN", "lggerman"}) {
        Trainer trainer(LanguageOf({{"$dlglanguage$", language},
                                    {"About", "\xDC"
                                              "ber"}}));
        const AboutSnapshot about = trainer.Show();
        EXPECT_EQ(about.WebSite, "Mehr Informationen finden Sie auf folgenden Webseiten:") << language;
        EXPECT_TRUE(about.Description.startsWith(kGermanStart)) << language;
        EXPECT_EQ(about.Title, QString::fromUtf8("\u00dcber"));
    }
    Trainer french(LanguageOf({{"$dlglanguage$", "lgFrench"}}));
    EXPECT_TRUE(french.Show().Description.startsWith(kEnglishStart));

    Trainer shipped(LanguageFile("bytescope.de.itl"));
    const AboutSnapshot about = shipped.Show();
    EXPECT_TRUE(about.Description.startsWith(kGermanStart));
    EXPECT_EQ(about.HomeCaption, "Bytescope-Homepage");
}

TEST(FirstShow, HomePageTranslatedToNothingOrToItselfStaysHidden)
{
    for (const char* caption : {"", "HomePage"}) {
        Trainer trainer(LanguageOf({{"HomePage", caption}, {"HomePageURL", "http://example.org/"}}));
        const AboutSnapshot about = trainer.Show();
        EXPECT_FALSE(about.HomeVisible) << caption;
        EXPECT_EQ(about.QZLTop, 16);
        EXPECT_EQ(about.SimulationsTop, 32);
        EXPECT_EQ(about.HomeUrl, "http://example.org/");
    }
}

TEST(FirstShow, TheApplicationStartsWithItsBuiltInIcon)
{
    // The program's application object sets it; a language file without AppIconName keeps it.
    const QIcon builtIn = QApplication::windowIcon();
    ASSERT_FALSE(builtIn.isNull());
    EXPECT_EQ(builtIn.pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32),
              Pictures::AppIconPixmap(32).toImage().convertToFormat(QImage::Format_ARGB32));
    Trainer trainer;
    EXPECT_EQ(trainer.Main().windowIcon().cacheKey(), builtIn.cacheKey());
    EXPECT_TRUE(trainer.Show().Shown);
    EXPECT_EQ(QApplication::windowIcon().cacheKey(), builtIn.cacheKey());
    EXPECT_EQ(trainer.Main().windowIcon().cacheKey(), builtIn.cacheKey());
}

TEST(FirstShow, IconNamedByTheLanguageTableIsLoadedThreeTimes)
{
    struct Row
    {
        const char* What;
        std::string Suffix;
        QColor Colour;
    };
    // A name that is no UTF-8 (the Windows-1252 byte F4): the file that exists is the one loaded,
    // since the name is the path's bytes for the test and the load alike.
    const Row rows[] = {
        {"plain name", "icon.png", QColor(255, 0, 0)},
        {"name that is no UTF-8", "ic\xF4ne.png", QColor(0, 0, 255)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.What);
        WorkAreaFile icon(row.Suffix);
        QImage image(16, 16, QImage::Format_ARGB32);
        image.fill(row.Colour);
        QByteArray png;
        QBuffer buffer(&png);
        ASSERT_TRUE(image.save(&buffer, "PNG"));
        WriteFileBytes(icon.Path(), png.toStdString());

        Trainer trainer(LanguageOf({{"AppIconName", icon.Name()}}));
        const AboutSnapshot about = trainer.Show();
        EXPECT_TRUE(about.Shown);
        EXPECT_TRUE(trainer.Errors().empty());
        EXPECT_EQ(CornerOf(trainer.Main().windowIcon()), row.Colour.rgb());
        EXPECT_EQ(CornerOf(trainer.About().windowIcon()), row.Colour.rgb());
        EXPECT_EQ(CornerOf(QApplication::windowIcon()), row.Colour.rgb());
    }
}

TEST(FirstShow, MissingIconChangesNothingAndSaysNothing)
{
    WorkAreaFile icon("missing.png");
    Trainer trainer(LanguageOf({{"AppIconName", icon.Name()}}));
    const qint64 mainIcon = trainer.Main().windowIcon().cacheKey();
    const qint64 aboutIcon = trainer.About().windowIcon().cacheKey();
    EXPECT_TRUE(trainer.Show().Shown);
    EXPECT_TRUE(trainer.Errors().empty());
    EXPECT_EQ(trainer.Main().windowIcon().cacheKey(), mainIcon);
    EXPECT_EQ(trainer.About().windowIcon().cacheKey(), aboutIcon);
}

TEST(FirstShow, UnreadableIconEndsTheSequenceWithTheErrorBox)
{
    WorkAreaFile icon("broken.ico");
    WriteFileBytes(icon.Path(), "this is not a picture");
    Trainer trainer(LanguageOf({{"AppIconName", icon.Name()}, {"HomePageURL", "http://example.org/"}}));
    const AboutSnapshot about = trainer.Show();

    EXPECT_FALSE(about.Shown);
    EXPECT_TRUE(trainer.Main().isVisible());
    EXPECT_EQ(trainer.Main().Code(), 65);
    ASSERT_EQ(trainer.Errors().size(), 1u);
    EXPECT_EQ(trainer.Errors()[0].Caption, ApplicationTitle(ProgramPath()));
    const std::string& text = trainer.Errors()[0].Text;
    EXPECT_EQ(text.rfind("Cannot load the icon \"" + icon.Path().string() + "\": ", 0), 0u) << text;
    EXPECT_EQ(text.back(), '.');
    // The later steps did not run: the About box is as stored, but Info still opens it.
    EXPECT_EQ(trainer.About().LblName()->text(), "App. name");
    EXPECT_EQ(trainer.About().windowTitle(), "BF_About");
    EXPECT_EQ(trainer.About().UrlLabHomepage()->URL(), "");
    EXPECT_TRUE(trainer.WhileAboutOpens([&] { trainer.Main().BButInfoClick(nullptr); }).Shown);
}
