#pragma once

#include "controls/EQZLError.h"
#include "controls/TFont.h"

#include <QFont>
#include <QLabel>

#include <functional>
#include <string>

class TUrlShell;

class EQZLURLLabError : public EQZLError
{
public:
    using EQZLError::EQZLError;
};

// A label that acts as a hyperlink: a click opens a web address ("http://..." or "https://...")
// or starts a program ("....exe" with TaskParams), and while the pointer is over the enabled
// label it is drawn in FontActive. Texts are Windows-1252 bytes; the Q_PROPERTYs carry them as QString.
class TUrlLab : public QLabel
{
    Q_OBJECT
    // The translation walk writes the label's text through Caption, so that AutoSize re-fits it.
    Q_CLASSINFO("bytescope.republishes", "text=Caption")
    Q_PROPERTY(Qt::Alignment Alignment READ alignment WRITE setAlignment)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)
    Q_PROPERTY(QString Caption READ CaptionText WRITE SetCaptionText)
    Q_PROPERTY(bool Enabled READ isEnabled WRITE setEnabled)
    Q_PROPERTY(QFont Font READ QtFont)
    Q_PROPERTY(QFont FontActive READ QtFontActive)
    Q_PROPERTY(QString URL READ URLText WRITE SetURLText)
    Q_PROPERTY(QString TaskParams READ TaskParamsText WRITE SetTaskParamsText)
    Q_PROPERTY(bool Visible READ Visible WRITE setVisible)
    Q_PROPERTY(bool WordWrap READ wordWrap WRITE setWordWrap)

public:
    explicit TUrlLab(QWidget* parent = nullptr);
    ~TUrlLab() override;

    // Called once the stored properties have been set: the font as it stands now is the one put
    // back when the pointer leaves.
    virtual void Loaded();

    std::string Caption() const;
    void SetCaption(const std::string& caption);

    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool value);

    bool Visible() const { return !isHidden(); }

    const std::string& URL() const { return FURL; }
    void SetURL(const std::string& url);

    const std::string& TaskParams() const { return FTaskParams; }
    void SetTaskParams(const std::string& params);

    // The label's own font; changing any attribute redraws the label in it.
    TFont& Font() { return FFont; }
    const TFont& Font() const { return FFont; }
    void SetFont(const TFont& font) { FFont.Assign(font); }

    const TFont& FontActive() const { return FFontActive; }
    void SetFontActive(const TFont& font);

    // Opens the URL as described at the class; raises EQZLURLLabError for a URL that is neither
    // a web address nor a program, or a program that cannot be started. OnClick fires at the end
    // of a successful click only.
    virtual void Click();

    // Where clicks go; the default is the real desktop. The shell must outlive the label.
    void SetShell(TUrlShell& shell) { FShell = &shell; }

    std::function<void(TUrlLab& sender)> OnClick;
    std::function<void(TUrlLab& sender)> OnDblClick;
    std::function<void(TUrlLab& sender)> OnMouseEnter;
    std::function<void(TUrlLab& sender)> OnMouseLeave;

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QString CaptionText() const { return text(); }
    void SetCaptionText(const QString& text);
    QString URLText() const;
    void SetURLText(const QString& url);
    QString TaskParamsText() const;
    void SetTaskParamsText(const QString& params);
    QFont QtFont() const { return font(); }
    QFont QtFontActive() const;

    void ApplyFont();
    void RepaintIfVisible();
    void OpenAddress();
    void StartProgram();

    std::string FURL;
    std::string FTaskParams;
    TFont FFont;
    TFont FFontActive;
    TFont FSavedFont;
    bool FAutoSize = true;
    bool FPressed = false;
    bool FHovered = false; // showing FontActive for the pointer
    TUrlShell* FShell;
};
