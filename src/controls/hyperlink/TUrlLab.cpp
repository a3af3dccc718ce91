#include "controls/hyperlink/TUrlLab.h"

#include "controls/hyperlink/UrlShell.h"
#include "controls/qt/Guarded.h"
#include "controls/qt/QtBridge.h"
#include "util/AsciiText.h"

#include <QApplication>
#include <QMouseEvent>

namespace {

// The extension as a file name has it: from the last "." after the last folder or drive
// separator, dot included; empty when there is none.
std::string ExtensionOf(const std::string& path)
{
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos)
        return {};
    const auto separator = path.find_last_of("\\/:");
    if (separator != std::string::npos && separator > dot)
        return {};
    return path.substr(dot);
}

// Secure addresses are web addresses as much as plain ones; both go to the browser.
bool IsWebAddress(const std::string& url)
{
    return AsciiStartsWithNoCase(url, "http://") || AsciiStartsWithNoCase(url, "https://");
}

} // namespace

TUrlLab::TUrlLab(QWidget* parent) : QLabel(parent), FShell(&DefaultUrlShell())
{
    // Plain text: no rich text and no accelerator, so an "&" is drawn as it stands.
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    FFont.OnChange = [this](TFont&) {
        ApplyFont();
    };
    ApplyFont();
    FFontActive.Assign(FFont);
}

TUrlLab::~TUrlLab() = default;

void TUrlLab::Loaded()
{
    FSavedFont.Assign(FFont);
}

std::string TUrlLab::Caption() const
{
    return ToCp1252(text());
}

void TUrlLab::SetCaption(const std::string& caption)
{
    SetCaptionText(ToQString(caption));
}

void TUrlLab::SetCaptionText(const QString& caption)
{
    setText(caption);
    if (FAutoSize)
        adjustSize();
}

void TUrlLab::SetAutoSize(bool value)
{
    if (value == FAutoSize)
        return;
    FAutoSize = value;
    if (FAutoSize)
        adjustSize();
}

void TUrlLab::SetURL(const std::string& url)
{
    FURL = TrimBlanks(url);
    RepaintIfVisible();
}

void TUrlLab::SetTaskParams(const std::string& params)
{
    FTaskParams = TrimBlanks(params);
    RepaintIfVisible();
}

void TUrlLab::SetFontActive(const TFont& font)
{
    FFontActive.Assign(font);
    RepaintIfVisible();
}

QString TUrlLab::URLText() const
{
    return ToQString(FURL);
}

void TUrlLab::SetURLText(const QString& url)
{
    SetURL(ToCp1252(url));
}

QString TUrlLab::TaskParamsText() const
{
    return ToQString(FTaskParams);
}

void TUrlLab::SetTaskParamsText(const QString& params)
{
    SetTaskParams(ToCp1252(params));
}

QFont TUrlLab::QtFontActive() const
{
    return ToQFont(FFontActive);
}

void TUrlLab::ApplyFont()
{
    setFont(ToQFont(FFont));
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, ToQColor(FFont.Color(), colours));
    setPalette(colours);
    if (FAutoSize)
        adjustSize();
}

void TUrlLab::RepaintIfVisible()
{
    if (isVisible())
        repaint();
}

void TUrlLab::Click()
{
    if (!FURL.empty()) {
        if (IsWebAddress(FURL))
            OpenAddress();
        else
            StartProgram();
    }
    if (OnClick)
        OnClick(*this);
}

void TUrlLab::OpenAddress()
{
    // Starting a browser takes a moment; the busy pointer has to be on screen before it starts.
    const QCursor remembered = cursor();
    setCursor(Qt::BusyCursor);
    QApplication::processEvents();
    FShell->OpenAddress(FURL);
    setCursor(remembered);
}

void TUrlLab::StartProgram()
{
    const std::string name = ToCp1252(objectName());
    if (AsciiLower(ExtensionOf(FURL)) != ".exe")
        throw EQZLURLLabError(ComponentMessage(name, "URL of URLLab is invalid"));
    const int code = FShell->StartProgram(FURL, FTaskParams);
    if (code <= 32 && code != -1)
        throw EQZLURLLabError(
            ComponentMessage(name, "Cannot start executable (errnum=" + std::to_string(code) + ")"));
}

void TUrlLab::enterEvent(QEnterEvent* event)
{
    QLabel::enterEvent(event);
    if (OnMouseEnter)
        OnMouseEnter(*this);
    if (isEnabled()) {
        FFont.Assign(FFontActive);
        FHovered = true;
    }
}

void TUrlLab::leaveEvent(QEvent* event)
{
    QLabel::leaveEvent(event);
    if (OnMouseLeave)
        OnMouseLeave(*this);
    if (isEnabled()) {
        FFont.Assign(FSavedFont);
        FHovered = false;
    }
}

void TUrlLab::hideEvent(QHideEvent* event)
{
    // No leave arrives when the label, or the window around it, is hidden under the pointer
    // (a dialog closed with Esc); shown again, it would still look hovered.
    if (FHovered) {
        FHovered = false;
        FFont.Assign(FSavedFont);
    }
    QLabel::hideEvent(event);
}

void TUrlLab::mousePressEvent(QMouseEvent* event)
{
    FPressed = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void TUrlLab::mouseReleaseEvent(QMouseEvent* event)
{
    const bool clicked =
        FPressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    FPressed = false;
    QLabel::mouseReleaseEvent(event);
    if (!clicked)
        return;
    // Errors stop here, at the edge of Qt's event delivery, and go to the application's error box.
    Guarded([this] { Click(); });
}

void TUrlLab::mouseDoubleClickEvent(QMouseEvent* event)
{
    // Qt delivers the second press of a double-click as this event and then a release; that
    // release must not count as a second click, or the link would open twice.
    QLabel::mouseDoubleClickEvent(event);
    FPressed = false;
    if (event->button() != Qt::LeftButton || !OnDblClick)
        return;
    Guarded([this] { OnDblClick(*this); });
}
