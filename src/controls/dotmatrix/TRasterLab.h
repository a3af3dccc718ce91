#pragma once

#include "controls/ControlTypes.h"
#include "controls/TColor.h"
#include "controls/TFont.h"
#include "controls/dotmatrix/EQZLRasterLabError.h"
#include "controls/dotmatrix/PixelImage.h"
#include "controls/dotmatrix/RasterLabTypes.h"
#include "controls/dotmatrix/TRasterLabModel.h"
#include "controls/qt/CheckedEnum.h"

#include <QFont>
#include <QString>
#include <QWidget>

#include <functional>
#include <string>

// The dot-matrix display: shows a short Windows-1252 text as square dots on a raster, from the
// built-in 7 x 12 font (font name "default", any letter case) or from any installed font sampled
// once per font change. Every setter that changes what is shown paints at once, synchronously.
// The text can scroll, driven by a timer of the widget's own.
class TRasterLab : public QWidget
{
    Q_OBJECT
    // Inherited properties the display publishes.
    Q_PROPERTY(int Tag READ Tag WRITE SetTag)
    Q_PROPERTY(int Left READ Left WRITE SetLeft)
    Q_PROPERTY(int Top READ Top WRITE SetTop)
    Q_PROPERTY(int Width READ Width WRITE SetWidth)
    Q_PROPERTY(int Height READ Height WRITE SetHeight)
    Q_PROPERTY(QString Hint READ Hint WRITE SetHint)
    Q_PROPERTY(bool ParentFont READ ParentFont WRITE SetParentFont)
    Q_PROPERTY(bool ParentShowHint READ ParentShowHint WRITE SetParentShowHint)
    Q_PROPERTY(bool ShowHint READ ShowHint WRITE SetShowHint)
    Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
    // The display's own, in their streaming order.
    Q_PROPERTY(bool AutoHeight READ AutoHeight WRITE SetAutoHeight)
    Q_PROPERTY(bool AutoCenter READ AutoCenter WRITE SetAutoCenter)
    Q_PROPERTY(uint ColorLabBakG READ ColorLabBakG WRITE SetColorLabBakG)
    Q_PROPERTY(uint ColorDotOn READ ColorDotOn WRITE SetColorDotOn)
    Q_PROPERTY(uint ColorDotOff READ ColorDotOff WRITE SetColorDotOff)
    Q_PROPERTY(int ColorScheme READ ColorSchemeValue WRITE SetColorSchemeValue)
    Q_PROPERTY(int DotSpacing READ DotSpacing WRITE SetDotSpacing)
    Q_PROPERTY(int DotSize READ DotSize WRITE SetDotSize)
    Q_PROPERTY(QFont Font READ QtFont WRITE SetQtFont)
    Q_PROPERTY(int FrameStyle READ FrameStyleValue WRITE SetFrameStyleValue)
    Q_PROPERTY(int PosX READ PosX WRITE SetPosX)
    Q_PROPERTY(int PosY READ PosY WRITE SetPosY)
    Q_PROPERTY(bool Proportional READ Proportional WRITE SetProportional)
    Q_PROPERTY(int ScrollMode READ ScrollModeValue WRITE SetScrollModeValue)
    Q_PROPERTY(int ScrollInterval READ ScrollInterval WRITE SetScrollInterval)
    Q_PROPERTY(int ScrollIncrement READ ScrollIncrement WRITE SetScrollIncrement)
    Q_PROPERTY(bool ScrollLoop READ ScrollLoop WRITE SetScrollLoop)
    Q_PROPERTY(int CharBlockMode READ CharBlockModeValue WRITE SetCharBlockModeValue)
    Q_PROPERTY(QString Text READ QText WRITE SetQText)

public:
    // Notification with the sending display.
    using TNotifyEvent = std::function<void(TRasterLab* sender)>;

    explicit TRasterLab(QWidget* parent = nullptr);
    ~TRasterLab() override;

    // Copies frame style, text, colours (all but ColorDotOff) and colour scheme from another
    // display as stored values, then paints. Any other source throws std::invalid_argument.
    void Assign(const QObject* source);
    // Assigns this display to `dest` when it is a display; otherwise throws std::invalid_argument.
    void AssignTo(QObject* dest) const;

    // Renders the display into Image() and shows it at once. Draws nothing while the display is
    // hidden (unless designing).
    void Paint();

    int Tag() const { return FTag; }
    void SetTag(int value) { FTag = value; }
    int Left() const { return x(); }
    void SetLeft(int value);
    int Top() const { return y(); }
    void SetTop(int value);
    // The widget's geometry is the one record of the size, whether set here or through Qt.
    int Width() const { return width(); }
    void SetWidth(int value);
    int Height() const { return height(); }
    void SetHeight(int value);
    QString Hint() const { return toolTip(); }
    void SetHint(const QString& value) { setToolTip(value); }
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool value);
    bool ParentShowHint() const { return FParentShowHint; }
    void SetParentShowHint(bool value) { FParentShowHint = value; }
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool value) { FShowHint = value; }
    // The display's own visibility flag: false only after it was hidden explicitly, so a display
    // in a window that is not shown yet, or in no window, still paints.
    bool Visible() const;
    void SetVisible(bool value) { setVisible(value); }

    bool AutoHeight() const { return FModel.AutoHeight(); }
    void SetAutoHeight(bool value);
    bool AutoCenter() const { return FModel.AutoCenter(); }
    void SetAutoCenter(bool value);
    TColor ColorLabBakG() const { return FModel.ColorLabBakG(); }
    void SetColorLabBakG(TColor value);
    TColor ColorDotOn() const { return FModel.ColorDotOn(); }
    void SetColorDotOn(TColor value);
    TColor ColorDotOff() const { return FModel.ColorDotOff(); }
    void SetColorDotOff(TColor value);
    TColorScheme ColorScheme() const { return FModel.ColorScheme(); }
    void SetColorScheme(TColorScheme value);
    int DotSpacing() const { return FModel.DotSpacing(); }
    void SetDotSpacing(int value);
    int DotSize() const { return FModel.DotSize(); }
    void SetDotSize(int value);
    // Every change of the font rebuilds the glyph table and repaints.
    TFont& Font() { return FFont; }
    const TFont& Font() const { return FFont; }
    void SetFont(const TFont& value) { FFont.Assign(value); }
    TFrameStyle FrameStyle() const { return FModel.FrameStyle(); }
    void SetFrameStyle(TFrameStyle value);
    int PosX() const { return FModel.PosX(); }
    void SetPosX(int value);
    int PosY() const { return FModel.PosY(); }
    void SetPosY(int value);
    bool Proportional() const { return FModel.Proportional(); }
    void SetProportional(bool value);
    TRDScrollMode ScrollMode() const { return FModel.ScrollMode(); }
    void SetScrollMode(TRDScrollMode value);
    int ScrollInterval() const { return FModel.ScrollInterval(); }
    void SetScrollInterval(int value);
    int ScrollIncrement() const { return FModel.ScrollIncrement(); }
    void SetScrollIncrement(int value);
    bool ScrollLoop() const { return FModel.ScrollLoop(); }
    void SetScrollLoop(bool value);
    TRDBlockMode CharBlockMode() const { return FModel.CharBlockMode(); }
    void SetCharBlockMode(TRDBlockMode value);
    // Windows-1252 bytes; each byte's code indexes the glyph table.
    const std::string& Text() const { return FModel.Text(); }
    void SetText(const std::string& value);

    const TNotifyEvent& OnScrollTimer() const { return FOnScrollTimer; }
    void SetOnScrollTimer(TNotifyEvent handler); // restarts a running timer
    const TNotifyEvent& OnScrollLoopRestart() const { return FOnScrollLoopRestart; }
    void SetOnScrollLoopRestart(TNotifyEvent handler) { FOnScrollLoopRestart = std::move(handler); }

    // The form designer's state: scrolling never starts, and hidden displays still paint.
    bool Designing() const { return FDesigning; }
    void SetDesigning(bool value) { FDesigning = value; }

    // Read-only state.
    int ScrollOffsetX() const { return FModel.ScrollOffsetX(); }
    int ScrollOffsetY() const { return FModel.ScrollOffsetY(); }
    bool ScrollRunning() const { return FModel.ScrollRunning(); }
    int TextPixelWidth() const { return FModel.TextPixelWidth(); }
    int GlyphWidth() const { return FModel.GlyphWidth(); }
    int GlyphHeight() const { return FModel.GlyphHeight(); }
    int CellPitch() const { return FModel.CellPitch(); }
    TColor ColorFrameDark() const { return FModel.ColorFrameDark(); }
    TColor ColorFrameShadow() const { return FModel.ColorFrameShadow(); }
    TColor ColorFrameLight() const { return FModel.ColorFrameLight(); }
    // The model, its size brought in line with the widget's first.
    const TRasterLabModel& Model();
    // The image of the last Paint and how many paints there were.
    const PixelImage& Image() const { return FImage; }
    int PaintCount() const { return FPaintCount; }
    bool TimerActive() const { return FTimerId != 0; }

    // One timer tick: a scroll step with its paint, then OnScrollTimer.
    virtual void ScrollTick();

protected:
    // Called when scrolling text wraps around; calls OnScrollLoopRestart.
    virtual void ScrollLoopRestarted();
    // Starts the scroll timer; 0 means the system refused it.
    virtual int StartScrollTimer(int intervalMs);
    void UpdateScrollTimer();

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Property glue for the meta-object system: enumerations as checked numbers, the font as a
    // QFont, the text as QString.
    int ColorSchemeValue() const { return ColorScheme(); }
    void SetColorSchemeValue(int value)
    {
        SetColorScheme(CheckedEnum(*this, "ColorScheme", value, csSystem));
    }
    int FrameStyleValue() const { return FrameStyle(); }
    void SetFrameStyleValue(int value) { SetFrameStyle(CheckedEnum(*this, "FrameStyle", value, fsEngraved)); }
    int ScrollModeValue() const { return ScrollMode(); }
    void SetScrollModeValue(int value) { SetScrollMode(CheckedEnum(*this, "ScrollMode", value, rdsmUp)); }
    int CharBlockModeValue() const { return CharBlockMode(); }
    void SetCharBlockModeValue(int value)
    {
        SetCharBlockMode(CheckedEnum(*this, "CharBlockMode", value, rdbmRaster));
    }
    QFont QtFont() const;
    void SetQtFont(const QFont& value);
    QString QText() const;
    void SetQText(const QString& value);

    void GlyphFontChanged();
    void TakeParentFont();
    // After a model setter: when it reports a change, the widget takes the size the model may
    // have given itself (auto height), then paints.
    void ResizeAndPaintIfChanged(bool changed);
    TRasterLabModel& Synced();
    void SyncGeometry();
    void Render();
    void StopScrollTimer();

    TRasterLabModel FModel;
    PixelImage FImage;
    bool FStale = true; // a paint was skipped while hidden
    int FPaintCount = 0;
    int FTimerId = 0;
    bool FDesigning = false;

    TFont FFont;
    bool FParentFont = true;
    // Set while the parent's font is being taken, so that it does not count as a font of the
    // display's own.
    bool FTakingParentFont = false;

    // Kept for the window that stores them; the display itself does not act on them.
    int FTag = 0;
    bool FParentShowHint = true;
    bool FShowHint = false;

    TNotifyEvent FOnScrollTimer;
    TNotifyEvent FOnScrollLoopRestart;
};
