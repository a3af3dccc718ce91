#include "app/TFrmMain.h"

#include "app/FormTools.h"
#include "app/Pictures.h"
#include "app/TFrmAbout.h"
#include "app/TMemo.h"
#include "app/TPanel.h"
#include "app/TRadioGroup.h"
#include "app/TTrainerAccess.h"
#include "controls/dotmatrix/TRasterLab.h"
#include "controls/hyperlink/TUrlLab.h"
#include "controls/qt/Guarded.h"
#include "controls/qt/QtBridge.h"
#include "i18n/TBabelfish2000.h"
#include "i18n/TranslateComponent.h"
#include "platform/BytePath.h"
#include "platform/TFileStream.h"
#include "serverlink/TkdbDemonClient.h"
#include "util/AsciiText.h"
#include "util/BinText.h"
#include "util/Cp1252.h"
#include "util/Stream.h"

#include <QApplication>
#include <QBuffer>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QShowEvent>
#include <QToolButton>

#include <filesystem>
#include <stdexcept>

namespace {

constexpr TColor kNavy = RGBColor(0, 0, 128);

const char* const kEnglishWebSite = "More information can be found at the following Web sites:";
const char* const kEnglishDescription =
    "This program serves to visualize the ASCII encoding. It was developed by Norvane Modelworks, and the "
    "simulation is used in various electronic textbooks. The software is based on the QZL Component Suite.";
const char* const kGermanWebSite = "Mehr Informationen finden Sie auf folgenden Webseiten:";
const char* const kGermanDescription =
    "Dieses Programm dient zur Veranschaulichung der ASCII-Kodierung. Es wurde von Norvane Modelworks "
    "entwickelt, und die Simulation wird in verschiedenen interaktiven elektronischen Lehrb\xFC"
    "chern eingesetzt. Die Software basiert auf der QZL Component Suite.";

struct SelectorLayout
{
    const char* name;
    int tag;
    const char* caption;
    int left;
    int storedItem;
};

// Bit 0 first; the most significant bit stands at the left.
constexpr SelectorLayout kSelectors[8] = {
    {"RGB0", 1, " Bit0 ", 344, 1}, {"RGB1", 2, " Bit1 ", 296, 0},  {"RGB2", 4, " Bit2 ", 248, 0},
    {"RGB3", 8, " Bit3 ", 200, 0}, {"RGB4", 16, " Bit4 ", 152, 0}, {"RGB5", 32, " Bit5 ", 104, 0},
    {"RGB6", 64, " Bit6 ", 56, 1}, {"RGB7", 128, " Bit7 ", 8, 0},
};

QToolButton* MakeToolButton(QWidget* parent, const char* name, const QRect& bounds)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setFocusPolicy(Qt::NoFocus);
    button->setGeometry(bounds);
    return button;
}

// Both displays have a font of their own. Born inside the panel they would first take and sample
// the panel's font; made alone and put into the panel with that switched off, they sample only
// their own. The panel still owns them in creation order.
TRasterLab* NewDisplay(QWidget* panel)
{
    auto* display = new TRasterLab;
    display->SetParentFont(false);
    display->setParent(panel);
    return display;
}

// Where the window's two displays differ; StoreDisplay sets the rest, which they share.
struct DisplaySettings
{
    QRect Bounds;
    bool AutoHeight = false;
    TColor DotOn = clBlack;
    int DotSize = 1;
    TFont Font;
    int PosX = 1;
    bool Proportional = false;
    TRDBlockMode BlockMode = rdbmOn;
    std::string Text;
};

// Sets every stored property in the order a form loader streams them, since each setter
// repaints and re-applies the automatic settings at once.
void StoreDisplay(TRasterLab* display, const DisplaySettings& stored)
{
    display->SetLeft(stored.Bounds.left());
    display->SetTop(stored.Bounds.top());
    display->SetWidth(stored.Bounds.width());
    display->SetHeight(stored.Bounds.height());
    display->SetParentFont(false);
    display->SetAutoHeight(stored.AutoHeight);
    display->SetAutoCenter(false);
    display->SetColorLabBakG(clBlack);
    display->SetColorDotOn(stored.DotOn);
    display->SetColorDotOff(kNavy);
    display->SetColorScheme(csBWG);
    display->SetDotSpacing(1);
    display->SetDotSize(stored.DotSize);
    display->Font().SetCharset(stored.Font.Charset());
    display->Font().SetColor(stored.Font.Color());
    display->Font().SetHeight(stored.Font.Height());
    display->Font().SetName(stored.Font.Name());
    display->Font().SetStyle(stored.Font.Style());
    display->SetFrameStyle(fsLowered);
    display->SetPosX(stored.PosX);
    display->SetPosY(1);
    display->SetProportional(stored.Proportional);
    display->SetScrollMode(rdsmOff);
    display->SetScrollInterval(100);
    display->SetScrollIncrement(1);
    display->SetScrollLoop(true);
    display->SetCharBlockMode(stored.BlockMode);
    display->SetText(stored.Text);
}

bool FileExists(const std::string& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(PathFromBytes(path), error);
}

// Reads an icon file the way the window system's icon loader would, failing loudly on a file
// that cannot be read or is no picture. The bytes are read by the same path as FileExists tests,
// whatever the path's encoding.
QIcon ReadIcon(const std::string& path)
{
    const auto fail = [&path](const std::string& reason) {
        return std::runtime_error("Cannot load the icon \"" + path + "\": " + reason);
    };
    QByteArray bytes;
    try {
        TFileStream file(path, TFileStream::Mode::Read);
        bytes.resize(static_cast<qsizetype>(file.Size()));
        file.ReadBuffer(bytes.data(), static_cast<std::size_t>(bytes.size()));
    } catch (const EStreamError& error) {
        throw fail(error.what());
    }
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer);
    const QImage image = reader.read();
    if (image.isNull())
        throw fail(ToCp1252(reader.errorString()));
    return QIcon(QPixmap::fromImage(image));
}

// What a key typed on the window asks for, where the focused control has not used it.
struct KeyAction
{
    enum Kind
    {
        None,
        StepUp,
        StepDown,
        Jump,
    };
    Kind What = None;
    std::uint8_t Code = 0;
};

KeyAction KeyActionOf(const QKeyEvent& event)
{
    // Ctrl, Alt and Meta make the shortcuts of the desktop and of other programs; AltGr, which
    // some systems report as Ctrl+Alt, types characters.
    const Qt::KeyboardModifiers held =
        event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (held != Qt::NoModifier && held != (Qt::ControlModifier | Qt::AltModifier))
        return {};
    const QString text = event.text();
    if (event.key() == Qt::Key_Plus || text == QLatin1StringView("+"))
        return {KeyAction::StepUp};
    if (event.key() == Qt::Key_Minus || text == QLatin1StringView("-"))
        return {KeyAction::StepDown};
    const QList<uint> characters = text.toUcs4();
    if (characters.size() != 1)
        return {};
    const char32_t character = characters.front();
    const bool control = character < 0x20 || (character >= 0x7F && character <= 0x9F);
    const int code = control ? -1 : UnicodeToCp1252(character);
    if (code < 0)
        return {};
    return {KeyAction::Jump, static_cast<std::uint8_t>(code)};
}

} // namespace

TFrmMain::TFrmMain(const TFrmMainSetup& setup)
    : QWidget(nullptr, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                           Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("FrmMain"));
    // The application's icon, which the program sets at start; drawn here only without it.
    const QIcon appIcon = QApplication::windowIcon();
    setWindowIcon(appIcon.isNull() ? Pictures::AppIcon() : appIcon);
    move(319, 301);
    setFixedSize(586, 360);
    setWindowTitle(QStringLiteral("BF_ASCII Encoding"));
    ApplyColor(this, QPalette::Window, clBtnFace);
    ApplyFont(this, StoredFont("MS Sans Serif", -13, 0, clWindowText));

    CreateToolBar();
    CreateDisplays();
    CreateSelectors();

    FMMExplain = new TMemo(FPanel2);
    FMMExplain->setObjectName(QStringLiteral("MMExplain"));
    FMMExplain->setGeometry(8, 200, 377, 113);
    FMMExplain->SetColor(ToQColor(RGBColor(255, 251, 240)));
    FMMExplain->SetLines({QStringLiteral("BF_Explain"), QString()});
    FMMExplain->SetDragMode(dmAutomatic);
    FMMExplain->SetReadOnly(true);

    // Panel1 before Panel2; Panel1's tool buttons take no focus.
    ApplyTabOrder({FBButInfo, FBButExit, FMMExplain, FRGB[0], FRGB[1], FRGB[3], FRGB[2], FRGB[4], FRGB[5],
                   FRGB[7], FRGB[6]});
    CreateServerLink(setup);

    // After the window's texts are translated, so that the language table is loaded.
    FAccess = std::make_unique<TTrainerAccess>(FCliDemon->Babelfish());
    FAccess->LabelControls(*this);
    FAccess->ShowCode(*this);
    CreateKeys();
}

TFrmMain::~TFrmMain() = default;

TkdbDemonClient* TFrmMain::cliDemon() const
{
    return FCliDemon.data();
}

void TFrmMain::CreateToolBar()
{
    FPanel1 = new TPanel(this);
    FPanel1->setObjectName(QStringLiteral("Panel1"));
    FPanel1->setGeometry(0, 0, 586, 37);

    FSBMinus = MakeToolButton(FPanel1, "SBMinus", QRect(8, 4, 29, 29));
    FSBMinus->setIcon(Pictures::ArrowDown());
    FSBMinus->setIconSize(QSize(21, 21));
    connect(FSBMinus, &QToolButton::clicked, this, [this] { Guarded([this] { SBMinusClick(FSBMinus); }); });
    FSBPlus = MakeToolButton(FPanel1, "SBPlus", QRect(40, 4, 29, 29));
    FSBPlus->setIcon(Pictures::ArrowUp());
    FSBPlus->setIconSize(QSize(21, 21));
    connect(FSBPlus, &QToolButton::clicked, this, [this] { Guarded([this] { SBPlusClick(FSBPlus); }); });

    FSBSetA = MakeQuickSet("SBSetA", "A", 104);
    FSBSetZ = MakeQuickSet("SBSetZ", "Z", 136);
    FSBSetA_lc = MakeQuickSet("SBSetA_lc", "a", 168);
    FSBSetZ_lc = MakeQuickSet("SBSetZ_lc", "z", 200);
    FSBSet0 = MakeQuickSet("SBSet0", "0", 232);

    FBButInfo = MakePictureButton(FPanel1, "BButInfo", Pictures::Exclamation(), 20, "BF_Info",
                                  QRect(325, 4, 126, 29));
    connect(FBButInfo, &QPushButton::clicked, this,
            [this] { Guarded([this] { BButInfoClick(FBButInfo); }); });
    FBButExit =
        MakePictureButton(FPanel1, "BButExit", Pictures::ExitArrow(), 21, "BF_Exit", QRect(455, 4, 126, 29));
    connect(FBButExit, &QPushButton::clicked, this,
            [this] { Guarded([this] { BButExitClick(FBButExit); }); });
}

QToolButton* TFrmMain::MakeQuickSet(const char* name, const char* caption, int left)
{
    QToolButton* button = MakeToolButton(FPanel1, name, QRect(left, 4, 29, 29));
    button->setText(QString::fromLatin1(caption));
    connect(button, &QToolButton::clicked, this,
            [this, button] { Guarded([&] { SBSetCharClick(button); }); });
    return button;
}

void TFrmMain::CreateDisplays()
{
    FPanel2 = new TPanel(this);
    FPanel2->setObjectName(QStringLiteral("Panel2"));
    FPanel2->setGeometry(0, 37, 586, 323);

    const Qt::Alignment centred = Qt::AlignHCenter | Qt::AlignTop;
    FLabel4 = MakeLabel(FPanel2, "Label4", "BF_Binary", centred, QRect(9, 16, 384, 27));
    ApplyFont(FLabel4, StoredFont("Arial", -23, fsBold, clWindowText));

    FRLabBin = NewDisplay(FPanel2);
    FRLabBin->setObjectName(QStringLiteral("RLabBin"));
    StoreDisplay(FRLabBin, {.Bounds = QRect(8, 48, 382, 73),
                            .AutoHeight = true,
                            .DotOn = RGBColor(255, 255, 0),
                            .DotSize = 5,
                            .Font = StoredFont("default", -13),
                            .PosX = 1,
                            .Proportional = false,
                            .BlockMode = rdbmOn,
                            .Text = "01000001"});

    FLabel1 = MakeLabel(FPanel2, "Label1", "BF_ASCII", centred, QRect(406, 16, 171, 27));
    ApplyFont(FLabel1, StoredFont("Arial", -23, fsBold, clWindowText));

    FRLabAscii = NewDisplay(FPanel2);
    FRLabAscii->setObjectName(QStringLiteral("RLabAscii"));
    StoreDisplay(FRLabAscii, {.Bounds = QRect(408, 48, 169, 265),
                              .AutoHeight = false,
                              .DotOn = RGBColor(0, 255, 0),
                              .DotSize = 8,
                              .Font = StoredFont("Courier New", -27, fsBold),
                              .PosX = 10,
                              .Proportional = true,
                              .BlockMode = rdbmRaster,
                              .Text = "A"});
}

void TFrmMain::CreateSelectors()
{
    for (std::size_t bit = 0; bit < FRGB.size(); ++bit) {
        const SelectorLayout& layout = kSelectors[bit];
        auto* selector = new TRadioGroup(FPanel2);
        selector->setObjectName(QString::fromLatin1(layout.name));
        selector->setGeometry(layout.left, 128, 41, 65);
        selector->setTitle(QString::fromLatin1(layout.caption));
        selector->SetItems({QStringLiteral("0"), QStringLiteral("1")});
        selector->SetItemIndex(layout.storedItem);
        selector->SetTag(layout.tag);
        selector->OnClick = [this](TRadioGroup* sender) {
            RGBitClick(sender);
        };
        FRGB[bit] = selector;
    }
}

void TFrmMain::CreateServerLink(const TFrmMainSetup& setup)
{
    FCliDemon = new TkdbDemonClient(this);
    FCliDemon->setObjectName(QStringLiteral("cliDemon"));
    FCliDemon->SetAutoTranslate(true);
    FCliDemon->SetAutoCreateItlFile(setup.AutoCreateItlFile);
    FCliDemon->SetMultiStart(setup.MultiStart);
    FCliDemon->SetUseValdoraServer(false);
    FCliDemon->SetLoadsLanguageFile(setup.ReadLanguageFile);
    if (!setup.Language.empty()) {
        TMemoryStream language(setup.Language);
        FCliDemon->Babelfish().LoadFromStream(language);
    }
    FCliDemon->Loaded();
}

// Window shortcuts come before the focused control, which would take Ctrl+arrow for its own
// arrow key: a bit selector would move within itself, the memo would scroll.
void TFrmMain::CreateKeys()
{
    auto* up = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Up), this);
    connect(up, &QShortcut::activated, this, [this] { Guarded([this] { SBPlusClick(FSBPlus); }); });
    auto* down = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Down), this);
    connect(down, &QShortcut::activated, this, [this] { Guarded([this] { SBMinusClick(FSBMinus); }); });
}

// Keys reach the window when the focused control has not used them.
void TFrmMain::keyPressEvent(QKeyEvent* event)
{
    const KeyAction action = KeyActionOf(*event);
    switch (action.What) {
    case KeyAction::None:
        QWidget::keyPressEvent(event);
        return;
    case KeyAction::StepUp:
        Guarded([this] { SBPlusClick(FSBPlus); });
        break;
    case KeyAction::StepDown:
        Guarded([this] { SBMinusClick(FSBMinus); });
        break;
    case KeyAction::Jump:
        Guarded([this, &action] { JumpTo(action.Code); });
        break;
    }
    event->accept();
}

void TFrmMain::SBPlusClick(QObject*)
{
    if (FCode < 255) {
        ++FCode;
        UpdateDisplays();
    }
}

void TFrmMain::SBMinusClick(QObject*)
{
    if (FCode > 0) {
        --FCode;
        UpdateDisplays();
    }
}

void TFrmMain::BButInfoClick(QObject*)
{
    if (FAboutBox != nullptr)
        FAboutBox->exec();
}

void TFrmMain::BButExitClick(QObject*)
{
    close();
}

void TFrmMain::SBSetCharClick(QObject* sender)
{
    const auto* button = qobject_cast<const QToolButton*>(sender);
    if (button == nullptr)
        return;
    const std::string caption = ToCp1252(button->text());
    // Every quick-set button carries one character; one without any has nothing to set.
    if (caption.empty())
        return;
    JumpTo(static_cast<std::uint8_t>(caption.front()));
}

void TFrmMain::JumpTo(std::uint8_t code)
{
    FCode = code;
    UpdateDisplays();
}

void TFrmMain::RGBitClick(QObject* sender)
{
    const auto* selector = qobject_cast<const TRadioGroup*>(sender);
    if (selector == nullptr)
        return;
    const auto mask = static_cast<std::uint8_t>(selector->Tag() & 0xFF);
    if (selector->ItemIndex() != 0)
        FCode |= mask;
    else
        FCode &= static_cast<std::uint8_t>(~mask);
    UpdateDisplays();
}

// Setting a selector runs its click handler, which finds the bit already in place: the code
// stays as it is and the nesting unwinds after at most eight levels.
void TFrmMain::UpdateDisplays()
{
    FRLabBin->SetText(IntToBinText(FCode, 8));
    FRLabAscii->SetText(std::string(1, static_cast<char>(FCode)));
    for (std::size_t bit = 0; bit < FRGB.size(); ++bit)
        FRGB[bit]->SetItemIndex((FCode >> bit) & 1);
    if (FAccess != nullptr)
        FAccess->ShowCode(*this);
}

void TFrmMain::showEvent(QShowEvent* event)
{
    if (!event->spontaneous()) {
        KeepOnScreen(this);
        Guarded([this] { FormShow(); });
    }
    QWidget::showEvent(event);
}

void TFrmMain::FormShow()
{
    FCode = 65;
    if (FCliDemon == nullptr || FAboutBox == nullptr)
        return;
    TBabelfish2000& engine = FCliDemon->Babelfish();
    const std::string iconName = engine.Translate("AppIconName");
    const std::string workArea = FCliDemon->GetServerValue("ValdoraWorkArea");
    if (iconName != "AppIconName")
        LoadIcon(iconName, workArea);

    FAboutBox->LblName()->setText(QStringLiteral("Bytescope"));
    FAboutBox->LblVersion()->setText(QStringLiteral("Version 1.0"));
    FAboutBox->UrlLabHomepage()->SetURL(engine.Translate("HomePageURL"));
    const std::string language = AsciiLower(engine.Translate("$dlglanguage$"));
    TranslateComponent(engine, FAboutBox);
    const bool german = language == "lggerman";
    FAboutBox->LblWebSite()->setText(ToQString(german ? kGermanWebSite : kEnglishWebSite));
    FAboutBox->LblDescription()->setText(ToQString(german ? kGermanDescription : kEnglishDescription));
    FAboutBox->exec();
}

void TFrmMain::LoadIcon(const std::string& iconName, const std::string& workArea)
{
    const std::string path = workArea + iconName;
    if (FCliDemon->UseValdoraServer()) {
        const std::unique_ptr<TMemoryStream> fetched = FCliDemon->GetFile(iconName);
        if (fetched != nullptr && fetched->Size() > 0) {
            TFileStream file(path, TFileStream::Mode::Create);
            file.WriteBytes(fetched->Bytes());
        }
    }
    if (!FileExists(path))
        return;
    const QIcon icon = ReadIcon(path);
    QApplication::setWindowIcon(icon);
    setWindowIcon(icon);
    FAboutBox->setWindowIcon(icon);
}
