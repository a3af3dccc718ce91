#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class TPanel;
class TUrlLab;

// The About box: names the program and its version, describes it and offers links to web pages.
// Its name, version, description, web-site text and home-page address are filled in from outside
// (the main window's first show); the box itself only decides, each time it is shown, whether
// the home-page link is offered, and closes on OK.
class TFrmAbout : public QDialog
{
    Q_OBJECT

public:
    explicit TFrmAbout(QWidget* parent = nullptr);

    TPanel* Panel1() const { return FPanel1; }
    QLabel* LblName() const { return FLblName; }
    QLabel* LblVersion() const { return FLblVersion; }
    QLabel* LblCopyright() const { return FLblCopyright; }
    TPanel* Panel2() const { return FPanel2; }
    QLabel* LblWebSite() const { return FLblWebSite; }
    QPushButton* BButOK() const { return FBButOK; }
    QLabel* LblDescription() const { return FLblDescription; }
    QLabel* LblAuthor() const { return FLblAuthor; }
    TUrlLab* UrlLabQZLSuite() const { return FUrlLabQZLSuite; }
    TUrlLab* UrlLabHomepage() const { return FUrlLabHomepage; }
    TUrlLab* UrlLabSimulations() const { return FUrlLabSimulations; }

    void BButOKClick();
    // The home-page rule: the link is offered only when its caption was translated to a text of
    // its own; otherwise it is hidden and the other two links move to the middle of the panel.
    void FormShow();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CreateLinks();
    void CentreOnScreen();

    TPanel* FPanel1 = nullptr;
    QLabel* FLblName = nullptr;
    QLabel* FLblVersion = nullptr;
    QLabel* FLblCopyright = nullptr;
    TPanel* FPanel2 = nullptr;
    QLabel* FLblWebSite = nullptr;
    QPushButton* FBButOK = nullptr;
    QLabel* FLblDescription = nullptr;
    QLabel* FLblAuthor = nullptr;
    TUrlLab* FUrlLabQZLSuite = nullptr;
    TUrlLab* FUrlLabHomepage = nullptr;
    TUrlLab* FUrlLabSimulations = nullptr;
};
