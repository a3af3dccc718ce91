#include "app/TFrmAbout.h"

#include "app/FormTools.h"
#include "app/Pictures.h"
#include "app/TPanel.h"
#include "controls/hyperlink/TUrlLab.h"
#include "controls/qt/Guarded.h"
#include "controls/qt/QtBridge.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

namespace {

constexpr TColor kMaroon = RGBColor(128, 0, 0);

TUrlLab* MakeLink(QWidget* parent, const char* name, const std::string& caption, const std::string& url,
                  int top)
{
    auto* link = new TUrlLab(parent);
    link->setObjectName(QString::fromLatin1(name));
    link->SetAutoSize(false);
    link->setGeometry(152, top, 369, 16);
    link->SetCaption(caption);
    link->SetFont(StoredFont("Courier New", -13, fsBold, RGBColor(0, 0, 255), ANSI_CHARSET));
    link->SetFontActive(StoredFont("Courier New", -13, fsBold | fsUnderline, RGBColor(255, 0, 0)));
    link->SetURL(url);
    return link;
}

} // namespace

TFrmAbout::TFrmAbout(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("FrmAbout"));
    setFixedSize(543, 332);
    setWindowTitle(QStringLiteral("BF_About"));
    ApplyColor(this, QPalette::Window, clBtnFace);
    ApplyFont(this, StoredFont("Arial", -13, 0, clBlack));
    setWindowIcon(Pictures::AboutIcon());

    FPanel1 = new TPanel(this);
    FPanel1->setObjectName(QStringLiteral("Panel1"));
    FPanel1->setGeometry(8, 10, 529, 127);
    FPanel1->SetBevelInner(bvRaised);
    FPanel1->SetBevelOuter(bvLowered);

    const Qt::Alignment centred = Qt::AlignHCenter | Qt::AlignTop;
    FLblName = MakeLabel(FPanel1, "LblName", "App. name", centred, QRect(8, 12, 513, 34));
    ApplyFont(FLblName, StoredFont("Arial", -30, fsBold | fsItalic, kMaroon));
    FLblVersion = MakeLabel(FPanel1, "LblVersion", "App. version", centred, QRect(8, 50, 513, 16));
    FLblAuthor = MakeLabel(FPanel1, "LblAuthor", "", centred, QRect(8, 74, 513, 16));
    FLblCopyright =
        MakeLabel(FPanel1, "LblCopyright", "Copyright \xA9 Norvane Modelworks. All rights reserved.", centred,
                  QRect(8, 100, 513, 16));

    FLblDescription = MakeLabel(this, "LblDescription", "LblDescription", centred, QRect(8, 152, 529, 65));
    FLblDescription->setWordWrap(true);
    ApplyColor(FLblDescription, QPalette::Window, clBtnFace);
    ApplyFont(FLblDescription, StoredFont("Arial", -13, 0, kMaroon));

    FPanel2 = new TPanel(this);
    FPanel2->setObjectName(QStringLiteral("Panel2"));
    FPanel2->setGeometry(8, 224, 529, 65);
    FPanel2->SetBevelInner(bvRaised);
    FPanel2->SetBevelOuter(bvLowered);
    FLblWebSite =
        MakeLabel(FPanel2, "LblWebSite", "LblWebSite", Qt::AlignRight | Qt::AlignTop, QRect(8, 8, 135, 49));
    FLblWebSite->setWordWrap(true);
    CreateLinks();

    FBButOK = MakePictureButton(this, "BButOK", Pictures::CheckMark(), 21, "BF_OK", QRect(424, 296, 113, 33));
    connect(FBButOK, &QPushButton::clicked, this, [this] { Guarded([this] { BButOKClick(); }); });

    ApplyTabOrder({FPanel1, FPanel2, FBButOK});
    for (TUrlLab* link : {FUrlLabQZLSuite, FUrlLabSimulations, FUrlLabHomepage})
        link->Loaded();
}

void TFrmAbout::CreateLinks()
{
    FUrlLabQZLSuite =
        MakeLink(FPanel2, "UrlLabQZLSuite", "QZL Component Suite", "http://qzl.norvane.example/", 8);
    FUrlLabSimulations = MakeLink(FPanel2, "UrlLabSimulations", "Modelworks",
                                  "http://modelworks.norvane.example/simulations/", 24);
    FUrlLabHomepage = MakeLink(FPanel2, "UrlLabHomepage", "BF_HomePage", "", 40);
    FUrlLabHomepage->setVisible(false);
}

void TFrmAbout::BButOKClick()
{
    close();
}

void TFrmAbout::FormShow()
{
    const std::string caption = FUrlLabHomepage->Caption();
    if (caption != "HomePage" && !caption.empty()) {
        FUrlLabHomepage->setVisible(true);
        return;
    }
    FUrlLabHomepage->setVisible(false);
    FUrlLabQZLSuite->move(FUrlLabQZLSuite->x(), 16);
    FUrlLabSimulations->move(FUrlLabSimulations->x(), 32);
}

void TFrmAbout::showEvent(QShowEvent* event)
{
    if (!event->spontaneous()) {
        CentreOnScreen();
        Guarded([this] { FormShow(); });
    }
    QDialog::showEvent(event);
}

void TFrmAbout::CentreOnScreen()
{
    // Opened through Info, the box comes up on the screen the learner is working on.
    const QWidget* active = QApplication::activeWindow();
    const QScreen* screen = active != nullptr && active != this ? active->screen() : nullptr;
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    const QRect area = screen->availableGeometry();
    QRect box(QPoint(), frameGeometry().size());
    box.moveCenter(area.center());
    move(FitInto(box, area).topLeft());
}
