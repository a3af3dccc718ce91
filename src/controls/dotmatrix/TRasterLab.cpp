#include "controls/dotmatrix/TRasterLab.h"

#include "controls/dotmatrix/FontSampler.h"
#include "controls/dotmatrix/TRasterLabAccessible.h"
#include "controls/qt/Guarded.h"
#include "controls/qt/QtBridge.h"

#include <QEvent>
#include <QImage>
#include <QPainter>
#include <QScopedValueRollback>
#include <QTimerEvent>

#include <cmath>
#include <stdexcept>

namespace {

// A Qt font as the display's own font type: the family as the name, the size as a pixel height.
TFont FontFromQt(const QFont& qfont, const TFont& base)
{
    TFont font(base);
    font.OnChange = nullptr;
    font.SetName(ToCp1252(qfont.family()));
    const int pixels = qfont.pixelSize() > 0
                           ? qfont.pixelSize()
                           : static_cast<int>(std::lround(qfont.pointSizeF() * 96.0 / 72.0));
    font.SetHeight(-pixels);
    TFontStyles style = 0;
    if (qfont.bold())
        style |= fsBold;
    if (qfont.italic())
        style |= fsItalic;
    if (qfont.underline())
        style |= fsUnderline;
    if (qfont.strikeOut())
        style |= fsStrikeOut;
    font.SetStyle(style);
    return font;
}

std::string ClassNameOf(const QObject* object)
{
    return object != nullptr ? object->metaObject()->className() : "nil";
}

} // namespace

TRasterLab::TRasterLab(QWidget* parent) : QWidget(parent)
{
    TRasterLabAccessible::Install();
    // Every pixel is painted, so Qt need not erase beneath the display first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(FModel.Width(), FModel.Height());
    FFont.SetName("default");
    FFont.SetSize(8);
    FModel.SetGlyphTable(BuildGlyphTable(FFont));
    // Installed only now, so that the defaults above do not count as font changes.
    FFont.OnChange = [this](TFont&) {
        GlyphFontChanged();
    };
    // Like any control that follows its parent's font, a display born inside a parent takes
    // that font at once, as it would when put into the parent later.
    if (FParentFont && parentWidget() != nullptr)
        TakeParentFont();
}

TRasterLab::~TRasterLab()
{
    StopScrollTimer();
    FFont.OnChange = nullptr;
}

void TRasterLab::Assign(const QObject* source)
{
    const auto* other = qobject_cast<const TRasterLab*>(source);
    if (other == nullptr)
        throw std::invalid_argument("Cannot assign a " + ClassNameOf(source) + " to a TRasterLab");
    Synced().AssignFrom(other->FModel);
    Paint();
}

void TRasterLab::AssignTo(QObject* dest) const
{
    auto* other = qobject_cast<TRasterLab*>(dest);
    if (other == nullptr)
        throw std::invalid_argument("Cannot assign a TRasterLab to a " + ClassNameOf(dest));
    other->Assign(this);
}

bool TRasterLab::Visible() const
{
    // Qt marks every widget of a window that was never shown as hidden; only an explicit hide
    // switches the display off.
    return !(testAttribute(Qt::WA_WState_ExplicitShowHide) && testAttribute(Qt::WA_WState_Hidden));
}

void TRasterLab::Paint()
{
    if (!Visible() && !FDesigning) {
        FStale = true;
        return;
    }
    Render();
    if (isVisible())
        repaint();
}

void TRasterLab::Render()
{
    const QPalette colors = palette();
    Synced().Paint(FImage, [&colors](TColor color) {
        return IsSystemColor(color) ? (ToQRgb(color, colors) | 0xFF000000u) : PixelOf(color);
    });
    FStale = false;
    ++FPaintCount;
}

void TRasterLab::paintEvent(QPaintEvent*)
{
    if (!Visible() && !FDesigning)
        return;
    // An image too large for memory is reported like any other error, and the display stays as
    // it was.
    const bool rendered = Guarded([this] {
        if (FStale || FImage.Width() != width() || FImage.Height() != height())
            Render();
    });
    if (!rendered)
        return;
    if (FImage.Width() == 0 || FImage.Height() == 0)
        return;
    const QImage view(reinterpret_cast<const uchar*>(FImage.Data()), FImage.Width(), FImage.Height(),
                      FImage.Width() * static_cast<qsizetype>(sizeof(PixelImage::Pixel)),
                      QImage::Format_RGB32);
    QPainter painter(this);
    painter.drawImage(0, 0, view);
}

void TRasterLab::resizeEvent(QResizeEvent* event)
{
    FModel.SetSize(width(), height());
    QWidget::resizeEvent(event);
}

void TRasterLab::changeEvent(QEvent* event)
{
    const bool parentFontMayDiffer =
        event->type() == QEvent::FontChange || event->type() == QEvent::ParentChange;
    if (parentFontMayDiffer && FParentFont && !FTakingParentFont)
        TakeParentFont();
    QWidget::changeEvent(event);
}

TRasterLabModel& TRasterLab::Synced()
{
    // Qt holds back resize events for a widget that is not shown, so a size set through
    // setGeometry or resize before the first show reaches the model only here.
    FModel.SetSize(width(), height());
    return FModel;
}

const TRasterLabModel& TRasterLab::Model()
{
    return Synced();
}

void TRasterLab::SyncGeometry()
{
    // The model may have changed the size itself (auto height); the widget follows it.
    if (width() != FModel.Width() || height() != FModel.Height())
        resize(std::max(FModel.Width(), 0), std::max(FModel.Height(), 0));
    FModel.SetSize(width(), height());
}

void TRasterLab::ResizeAndPaintIfChanged(bool changed)
{
    if (!changed)
        return;
    SyncGeometry();
    Paint();
}

void TRasterLab::SetLeft(int value)
{
    move(value, y());
}

void TRasterLab::SetTop(int value)
{
    move(x(), value);
}

void TRasterLab::SetWidth(int value)
{
    resize(std::max(value, 0), height());
    Synced();
}

void TRasterLab::SetHeight(int value)
{
    resize(width(), std::max(value, 0));
    Synced();
}

void TRasterLab::SetParentFont(bool value)
{
    if (FParentFont == value)
        return;
    FParentFont = value;
    if (FParentFont)
        TakeParentFont();
}

void TRasterLab::TakeParentFont()
{
    const QWidget* parent = parentWidget();
    if (parent == nullptr)
        return;
    const TFont font = FontFromQt(parent->font(), FFont);
    const QScopedValueRollback<bool> taking(FTakingParentFont, true);
    FFont.Assign(font);
}

void TRasterLab::GlyphFontChanged()
{
    // A font of the display's own ends the use of the parent's.
    if (!FTakingParentFont)
        FParentFont = false;
    Synced().SetGlyphTable(BuildGlyphTable(FFont));
    SyncGeometry();
    Paint();
}

void TRasterLab::SetAutoHeight(bool value)
{
    ResizeAndPaintIfChanged(Synced().SetAutoHeight(value));
}

void TRasterLab::SetAutoCenter(bool value)
{
    ResizeAndPaintIfChanged(Synced().SetAutoCenter(value));
}

void TRasterLab::SetColorLabBakG(TColor value)
{
    ResizeAndPaintIfChanged(Synced().SetColorLabBakG(value));
}

void TRasterLab::SetColorDotOn(TColor value)
{
    ResizeAndPaintIfChanged(Synced().SetColorDotOn(value));
}

void TRasterLab::SetColorDotOff(TColor value)
{
    ResizeAndPaintIfChanged(Synced().SetColorDotOff(value));
}

void TRasterLab::SetColorScheme(TColorScheme value)
{
    ResizeAndPaintIfChanged(Synced().SetColorScheme(value));
}

void TRasterLab::SetDotSpacing(int value)
{
    ResizeAndPaintIfChanged(Synced().SetDotSpacing(value));
}

void TRasterLab::SetDotSize(int value)
{
    ResizeAndPaintIfChanged(Synced().SetDotSize(value));
}

void TRasterLab::SetFrameStyle(TFrameStyle value)
{
    ResizeAndPaintIfChanged(Synced().SetFrameStyle(value));
}

void TRasterLab::SetPosX(int value)
{
    ResizeAndPaintIfChanged(Synced().SetPosX(value));
}

void TRasterLab::SetPosY(int value)
{
    ResizeAndPaintIfChanged(Synced().SetPosY(value));
}

void TRasterLab::SetProportional(bool value)
{
    ResizeAndPaintIfChanged(Synced().SetProportional(value));
}

void TRasterLab::SetCharBlockMode(TRDBlockMode value)
{
    ResizeAndPaintIfChanged(Synced().SetCharBlockMode(value));
}

void TRasterLab::SetText(const std::string& value)
{
    const bool changed = Synced().SetText(value);
    if (changed)
        TRasterLabAccessible::TextChanged(this);
    ResizeAndPaintIfChanged(changed);
}

void TRasterLab::SetScrollLoop(bool value)
{
    Synced().SetScrollLoop(value);
    Paint();
}

void TRasterLab::SetScrollMode(TRDScrollMode value)
{
    if (!FModel.SetScrollMode(value))
        return;
    if (!FDesigning) {
        FModel.SetScrollRunning(value != rdsmOff);
        UpdateScrollTimer();
    }
    if (value == rdsmOff) {
        FModel.SetScrollOffsets(0, 0);
        Paint();
    }
}

void TRasterLab::SetScrollInterval(int value)
{
    if (FModel.SetScrollInterval(value))
        UpdateScrollTimer();
}

void TRasterLab::SetScrollIncrement(int value)
{
    if (FModel.SetScrollIncrement(value))
        UpdateScrollTimer();
}

void TRasterLab::SetOnScrollTimer(TNotifyEvent handler)
{
    FOnScrollTimer = std::move(handler);
    UpdateScrollTimer();
}

void TRasterLab::StopScrollTimer()
{
    if (FTimerId != 0) {
        killTimer(FTimerId);
        FTimerId = 0;
    }
}

int TRasterLab::StartScrollTimer(int intervalMs)
{
    return startTimer(intervalMs);
}

void TRasterLab::UpdateScrollTimer()
{
    StopScrollTimer();
    if (FModel.ScrollInterval() > 0 && FModel.ScrollMode() != rdsmOff && FModel.ScrollRunning()) {
        FTimerId = StartScrollTimer(FModel.ScrollInterval());
        if (FTimerId == 0)
            throw EQZLRasterLabError(ComponentMessage(ToCp1252(objectName()), "no timer available"));
    }
}

void TRasterLab::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != FTimerId || FTimerId == 0) {
        QWidget::timerEvent(event);
        return;
    }
    // A failing tick (or handler) is reported like any event handler's error; the timer goes on.
    Guarded([this] { ScrollTick(); });
}

void TRasterLab::ScrollTick()
{
    if (Synced().ScrollStep())
        ScrollLoopRestarted();
    Paint();
    if (FOnScrollTimer) {
        const TNotifyEvent handler = FOnScrollTimer;
        handler(this);
    }
}

void TRasterLab::ScrollLoopRestarted()
{
    if (FOnScrollLoopRestart) {
        const TNotifyEvent handler = FOnScrollLoopRestart;
        handler(this);
    }
}

QFont TRasterLab::QtFont() const
{
    return ToQFont(FFont);
}

void TRasterLab::SetQtFont(const QFont& value)
{
    FFont.Assign(FontFromQt(value, FFont));
}

QString TRasterLab::QText() const
{
    return ToQString(FModel.Text());
}

void TRasterLab::SetQText(const QString& value)
{
    SetText(ToCp1252(value));
}
