#include "controls/hyperlink/TUrlLab.h"
#include "controls/hyperlink/UrlShell.h"

#include "support/TempDir.h"

#include <QDialog>
#include <QEnterEvent>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

class FakeShell : public TUrlShell
{
public:
    void OpenAddress(const std::string& url) override { opened.push_back(url); }
    int StartProgram(const std::string& path, const std::string& params) override
    {
        started.push_back(path + "|" + params);
        return startResult;
    }
    std::vector<std::string> opened;
    std::vector<std::string> started;
    int startResult = 42;
};

struct Clicked
{
    int count = 0;
};

std::string ClickError(TUrlLab& label)
{
    try {
        label.Click();
    } catch (const EQZLURLLabError& e) {
        return e.what();
    }
    return {};
}

TFont MakeFont(const std::string& name, TColor color, TFontStyles style)
{
    TFont font;
    font.SetName(name);
    font.SetHeight(-13);
    font.SetColor(color);
    font.SetStyle(style);
    return font;
}

void SendEnter(TUrlLab& label)
{
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(&label, &enter);
}

void SendLeave(TUrlLab& label)
{
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&label, &leave);
}

// A double-click as the window system delivers it: press, release, double-click, release.
void SendDoubleClick(TUrlLab& label)
{
    const QPointF at(2, 2);
    const QPointF global = label.mapToGlobal(at);
    const auto send = [&](QEvent::Type type, Qt::MouseButtons held) {
        QMouseEvent event(type, at, global, Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(&label, &event);
    };
    send(QEvent::MouseButtonPress, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, Qt::NoButton);
    send(QEvent::MouseButtonDblClick, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, Qt::NoButton);
}

} // namespace

TEST(TUrlLab, UrlAndTaskParamsLoseOnlyBlanksAtBothEnds)
{
    TUrlLab label;
    label.SetURL("  http://example.org/ ");
    EXPECT_EQ(label.URL(), "http://example.org/");
    label.SetURL("\thttp://x\t ");
    EXPECT_EQ(label.URL(), "\thttp://x\t");
    label.SetURL("     ");
    EXPECT_EQ(label.URL(), "");
    label.SetTaskParams("  -a  -b  ");
    EXPECT_EQ(label.TaskParams(), "-a  -b");
    label.setProperty("URL", QString(" http://y "));
    EXPECT_EQ(label.property("URL").toString(), "http://y");
}

TEST(TUrlLab, ClickOpensAddressesStartsProgramsAndRejectsTheRest)
{
    FakeShell shell;
    TUrlLab label;
    label.setObjectName("UrlLabHomepage");
    label.SetShell(shell);
    int clicks = 0;
    label.OnClick = [&](TUrlLab& sender) {
        EXPECT_EQ(&sender, &label);
        ++clicks;
    };

    label.Click(); // empty URL: only the event
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(shell.opened.empty());
    EXPECT_TRUE(shell.started.empty());

    // Web addresses, secure or not, in any letter case; one that names a program file is still
    // a page to open, not a program to start.
    const std::vector<std::string> addresses{"HTTP://Example.org/Page", "https://example.org",
                                             "HttpS://example.org/setup.exe"};
    for (const std::string& url : addresses) {
        label.SetURL(url);
        label.Click();
    }
    EXPECT_EQ(shell.opened, addresses);
    EXPECT_TRUE(shell.started.empty());
    EXPECT_EQ(clicks, 4);

    for (const char* url : {"ftp://example.org", "mailto:a@b.c", "https:example.org", "httpx://example.org",
                            "C:\\dir.x\\tool", "run"}) {
        label.SetURL(url);
        EXPECT_EQ(ClickError(label), "Component \"UrlLabHomepage\": URL of URLLab is invalid") << url;
    }
    EXPECT_EQ(clicks, 4);

    label.SetURL("C:\\Tools\\Run.EXE");
    label.SetTaskParams("-x 'a b'");
    label.Click();
    ASSERT_EQ(shell.started.size(), 1u);
    EXPECT_EQ(shell.started[0], "C:\\Tools\\Run.EXE|-x 'a b'");
    EXPECT_EQ(clicks, 5);

    shell.startResult = 2;
    EXPECT_EQ(ClickError(label), "Component \"UrlLabHomepage\": Cannot start executable (errnum=2)");
    shell.startResult = 32;
    EXPECT_EQ(ClickError(label), "Component \"UrlLabHomepage\": Cannot start executable (errnum=32)");
    shell.startResult = -1; // the one low code that is no failure
    EXPECT_EQ(ClickError(label), "");
    EXPECT_EQ(clicks, 6);
}

TEST(TUrlLab, MouseClickReachesTheLinkAndErrorsDoNotFireOnClick)
{
    FakeShell shell;
    TUrlLab label;
    label.SetShell(shell);
    label.SetCaption("link");
    label.show();
    int clicks = 0;
    label.OnClick = [&](TUrlLab&) {
        ++clicks;
    };
    label.SetURL("http://example.org");
    QTest::mouseClick(&label, Qt::LeftButton);
    EXPECT_EQ(shell.opened.size(), 1u);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(label.cursor().shape(), Qt::ArrowCursor); // the busy pointer is gone again

    label.SetURL("gopher://example.org");
    QTest::mouseClick(&label, Qt::LeftButton); // the error goes to the application, not to us
    EXPECT_EQ(clicks, 1);

    // A double-click is one click, then the double-click event: the page opens once.
    std::vector<std::string> events;
    label.OnClick = [&](TUrlLab&) {
        events.push_back("click");
    };
    label.OnDblClick = [&](TUrlLab& sender) {
        EXPECT_EQ(&sender, &label);
        events.push_back("dblclick");
    };
    label.SetURL("http://example.org/twice");
    SendDoubleClick(label);
    EXPECT_EQ(shell.opened.size(), 2u);
    EXPECT_EQ(events, (std::vector<std::string>{"click", "dblclick"}));
    SendDoubleClick(label); // and the next double-click is one again
    EXPECT_EQ(shell.opened.size(), 3u);
    EXPECT_EQ(events.size(), 4u);
}

TEST(TUrlLab, FontSwapsOnEnterAndLeaveOnlyWhenEnabled)
{
    TUrlLab label;
    const TFont normal = MakeFont("Courier New", clBlue, fsBold);
    const TFont active = MakeFont("Courier New", clRed, fsBold | fsUnderline);
    label.SetFont(normal);
    label.SetFontActive(active);
    label.Loaded();
    int enters = 0, leaves = 0;
    label.OnMouseEnter = [&](TUrlLab&) {
        ++enters;
    };
    label.OnMouseLeave = [&](TUrlLab&) {
        ++leaves;
    };

    SendEnter(label);
    EXPECT_TRUE(label.Font().SameAttributes(active));
    EXPECT_TRUE(label.font().underline());
    EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(255, 0, 0));
    SendLeave(label);
    EXPECT_TRUE(label.Font().SameAttributes(normal));
    EXPECT_FALSE(label.font().underline());

    // A font given after loading gives way to the saved one at the next leave.
    label.SetFont(MakeFont("Arial", clGreen, 0));
    SendEnter(label);
    SendLeave(label);
    EXPECT_TRUE(label.Font().SameAttributes(normal));

    label.setEnabled(false);
    SendEnter(label);
    EXPECT_TRUE(label.Font().SameAttributes(normal));
    label.SetFont(active);
    SendLeave(label);
    EXPECT_TRUE(label.Font().SameAttributes(active));
    EXPECT_EQ(enters, 3);
    EXPECT_EQ(leaves, 3);
}

// The About box's sequence: the pointer is over a link when Esc closes the box, so no leave
// arrives; when the box is opened again the link must show its normal font.
TEST(TUrlLab, HoverFontEndsWhenTheLabelOrItsWindowIsHidden)
{
    QDialog box;
    auto* panel = new QWidget(&box);
    auto* label = new TUrlLab(panel);
    const TFont normal = MakeFont("Courier New", clBlue, fsBold);
    label->SetFont(normal);
    label->SetFontActive(MakeFont("Courier New", clRed, fsBold | fsUnderline));
    label->Loaded();
    int leaves = 0;
    label->OnMouseLeave = [&](TUrlLab&) {
        ++leaves;
    };
    box.show();

    SendEnter(*label);
    ASSERT_TRUE(label->font().underline());
    QTest::keyClick(&box, Qt::Key_Escape);
    ASSERT_FALSE(box.isVisible());
    box.show();
    EXPECT_TRUE(label->Font().SameAttributes(normal));
    EXPECT_FALSE(label->font().underline());
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(0, 0, 255));

    SendEnter(*label);
    label->hide();
    EXPECT_TRUE(label->Font().SameAttributes(normal));
    label->show();
    EXPECT_FALSE(label->font().underline());

    // A font given in code stays while the pointer is elsewhere, hidden or not.
    const TFont own = MakeFont("Arial", clGreen, 0);
    label->SetFont(own);
    box.hide();
    box.show();
    EXPECT_TRUE(label->Font().SameAttributes(own));
    EXPECT_EQ(leaves, 0);
}

TEST(TUrlLab, AmpersandIsShownAsWritten)
{
    TUrlLab label;
    label.SetCaption("Tom & Jerry");
    EXPECT_EQ(label.text(), "Tom & Jerry");
    EXPECT_EQ(label.textFormat(), Qt::PlainText);
    EXPECT_EQ(label.property("Caption").toString(), "Tom & Jerry");
}

namespace {

void WriteProgram(const std::filesystem::path& path, const std::string& body, std::filesystem::perms mode)
{
    WriteFileBytes(path, body);
    std::filesystem::permissions(path, mode);
}

constexpr auto kRunnable = std::filesystem::perms::owner_all;
constexpr auto kNotRunnable = std::filesystem::perms::owner_read | std::filesystem::perms::owner_write;

// The started programs below are shell scripts with execute permission, which only a POSIX system
// runs.
constexpr const char* kScriptsOnly = "starts shell scripts, which only a POSIX system runs";

// A shell program that prints with `printfArguments` into `out`; through a temporary file, so that
// WaitForFile never reads half an answer.
void WriteRecorder(const std::filesystem::path& path, const std::filesystem::path& out,
                   const std::string& printfArguments)
{
    WriteProgram(path,
                 "#!/bin/sh\nprintf " + printfArguments + " > \"$0.tmp\" && mv \"$0.tmp\" '" + out.string() +
                     "'\n",
                 kRunnable);
}

std::string WaitForFile(const std::filesystem::path& path)
{
    // Waits for the started program to write its answer; the bound only keeps a broken test finite.
    for (int i = 0; i < 500 && !std::filesystem::exists(path); ++i)
        QTest::qWait(20);
    QTest::qWait(20);
    return ReadFileBytes(path);
}

} // namespace

TEST(TUrlLab, RealProgramsStartWithTheirWordsOrGiveTheShellCodes)
{
#ifdef _WIN32
    GTEST_SKIP() << kScriptsOnly;
#endif
    TempDir dir;
    const auto out = dir / "args.txt";
    WriteRecorder(dir / "tool.exe", out, "'%s|' \"$@\"");
    WriteProgram(dir / "locked.exe", "#!/bin/sh\nexit 0\n", kNotRunnable);
    WriteProgram(dir / "garbage.exe", "this is no program\n", kRunnable);

    TUrlLab label;
    label.setObjectName("UrlLabTool");
    label.SetURL((dir / "tool.exe").string());
    label.SetTaskParams("one \"two words\" 'it''s' back\\ slash");
    label.Click();
    EXPECT_EQ(WaitForFile(out), "one|two words|its|back slash|");

    const auto codeOf = [&](const std::filesystem::path& path) {
        label.SetURL(path.string());
        return ClickError(label);
    };
    EXPECT_EQ(codeOf(dir / "missing.exe"), "Component \"UrlLabTool\": Cannot start executable (errnum=2)");
    EXPECT_EQ(codeOf(dir / "nofolder" / "x.exe"),
              "Component \"UrlLabTool\": Cannot start executable (errnum=3)");
    EXPECT_EQ(codeOf(dir / "locked.exe"), "Component \"UrlLabTool\": Cannot start executable (errnum=5)");
    EXPECT_EQ(codeOf(dir / "garbage.exe"), "Component \"UrlLabTool\": Cannot start executable (errnum=11)");
}

TEST(TUrlLab, WebAddressGoesToTheDesktopsOpener)
{
#ifdef _WIN32
    GTEST_SKIP() << kScriptsOnly;
#endif
    TempDir dir;
    const auto out = dir / "opened.txt";
    WriteRecorder(dir / "opener", out, "'%s' \"$1\"");
    qputenv("BYTESCOPE_URL_OPENER", QByteArray::fromStdString((dir / "opener").string()));
    TUrlLab label;
    label.SetURL("Http://example.org/a b");
    label.Click();
    qunsetenv("BYTESCOPE_URL_OPENER");
    EXPECT_EQ(WaitForFile(out), "Http://example.org/a b");
}
