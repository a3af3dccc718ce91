#pragma once

#include <QPointer>
#include <QWidget>

#include <array>
#include <cstdint>
#include <memory>
#include <string>

class QPushButton;
class QLabel;
class QToolButton;
class TFrmAbout;
class TkdbDemonClient;
class TMemo;
class TPanel;
class TRadioGroup;
class TRasterLab;
class TTrainerAccess;

// How the main window is built where it differs from its stored contents: tests change it, and
// the screenshot run switches MultiStart on.
struct TFrmMainSetup
{
    // Off: a second window in the same process would end it under the single-instance rule; a
    // screenshot run beside a running trainer likewise.
    bool MultiStart = false;
    // A language file's bytes loaded into the server link's engine before its load-time steps
    // run; a language file beside the program still takes precedence.
    std::string Language;
    // Off: the server link reads no language file at all, so the windows are translated with
    // Language alone (the tool that lists the windows' keys must not see a file beside itself).
    bool ReadLanguageFile = true;
    // On: every key the windows look up and miss is gathered for a generated language file.
    bool AutoCreateItlFile = false;
};

// The trainer window. It holds one code value, FCode, and shows it as eight binary digits on
// RLabBin, as the character on RLabAscii and as the eight bit selectors RGB0..RGB7. Every handler
// that changes the code ends with UpdateDisplays.
//
// Keys reach the actions of the tool buttons, which take no focus: Ctrl+Up and Ctrl+Down step the
// code wherever the focus is; + and - step it, and any other printable character jumps to its
// Windows-1252 code, unless the focused control uses that key itself (Space presses a button,
// the arrows move within a bit selector). Each key runs the handler that its button runs.
class TFrmMain : public QWidget
{
    Q_OBJECT

public:
    explicit TFrmMain(const TFrmMainSetup& setup = {});
    ~TFrmMain() override;

    // The About box that the first show fills in and opens and that Info opens. The program's
    // entry creates it after this window, hence the setter.
    void SetAboutBox(TFrmAbout* about) { FAboutBox = about; }
    TFrmAbout* AboutBox() const { return FAboutBox; }

    std::uint8_t Code() const { return FCode; }

    void SBPlusClick(QObject* sender);
    void SBMinusClick(QObject* sender);
    void BButInfoClick(QObject* sender);
    void BButExitClick(QObject* sender);
    // The first-show sequence: code 65, the icon the language table names, the About box filled
    // in, translated and shown modally before this window appears.
    void FormShow();
    void SBSetCharClick(QObject* sender);
    void RGBitClick(QObject* sender);
    // What a quick-set button does, for any code: the code becomes `code` and the window shows
    // it, also when it was already so. A typed character runs it too.
    void JumpTo(std::uint8_t code);

    TPanel* Panel1() const { return FPanel1; }
    QToolButton* SBPlus() const { return FSBPlus; }
    QToolButton* SBMinus() const { return FSBMinus; }
    TPanel* Panel2() const { return FPanel2; }
    TRasterLab* RLabBin() const { return FRLabBin; }
    QLabel* Label4() const { return FLabel4; }
    QPushButton* BButInfo() const { return FBButInfo; }
    QPushButton* BButExit() const { return FBButExit; }
    TkdbDemonClient* cliDemon() const;
    TMemo* MMExplain() const { return FMMExplain; }
    TRadioGroup* RGB(int bit) const { return FRGB.at(static_cast<std::size_t>(bit)); }
    TRasterLab* RLabAscii() const { return FRLabAscii; }
    QLabel* Label1() const { return FLabel1; }
    QToolButton* SBSetA() const { return FSBSetA; }
    QToolButton* SBSetZ() const { return FSBSetZ; }
    QToolButton* SBSet0() const { return FSBSet0; }
    QToolButton* SBSetA_lc() const { return FSBSetA_lc; }
    QToolButton* SBSetZ_lc() const { return FSBSetZ_lc; }

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void CreateToolBar();
    void CreateDisplays();
    void CreateSelectors();
    void CreateServerLink(const TFrmMainSetup& setup);
    void CreateKeys();
    QToolButton* MakeQuickSet(const char* name, const char* caption, int left);
    void LoadIcon(const std::string& iconName, const std::string& workArea);
    void UpdateDisplays();

    std::uint8_t FCode = 0;
    TFrmAbout* FAboutBox = nullptr;
    std::unique_ptr<TTrainerAccess> FAccess;

    TPanel* FPanel1 = nullptr;
    QToolButton* FSBPlus = nullptr;
    QToolButton* FSBMinus = nullptr;
    TPanel* FPanel2 = nullptr;
    TRasterLab* FRLabBin = nullptr;
    QLabel* FLabel4 = nullptr;
    QPushButton* FBButInfo = nullptr;
    QPushButton* FBButExit = nullptr;
    QPointer<TkdbDemonClient> FCliDemon;
    TMemo* FMMExplain = nullptr;
    std::array<TRadioGroup*, 8> FRGB{};
    TRasterLab* FRLabAscii = nullptr;
    QLabel* FLabel1 = nullptr;
    QToolButton* FSBSetA = nullptr;
    QToolButton* FSBSetZ = nullptr;
    QToolButton* FSBSet0 = nullptr;
    QToolButton* FSBSetA_lc = nullptr;
    QToolButton* FSBSetZ_lc = nullptr;
};
