#pragma once

#include "controls/qt/CheckedEnum.h"

#include <QFrame>

enum TBevelCut
{
    bvNone,
    bvLowered,
    bvRaised,
};

// A panel of the button face's colour with an outer and an inner bevel of one pixel each.
class TPanel : public QFrame
{
    Q_OBJECT
    Q_PROPERTY(int BevelInner READ BevelInnerValue WRITE SetBevelInnerValue)
    Q_PROPERTY(int BevelOuter READ BevelOuterValue WRITE SetBevelOuterValue)
    Q_PROPERTY(int Tag READ Tag WRITE SetTag)

public:
    explicit TPanel(QWidget* parent = nullptr);

    TBevelCut BevelInner() const { return FBevelInner; }
    void SetBevelInner(TBevelCut value);
    TBevelCut BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TBevelCut value);
    int Tag() const { return FTag; }
    void SetTag(int value) { FTag = value; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int BevelInnerValue() const { return FBevelInner; }
    void SetBevelInnerValue(int value) { SetBevelInner(CheckedEnum(*this, "BevelInner", value, bvRaised)); }
    int BevelOuterValue() const { return FBevelOuter; }
    void SetBevelOuterValue(int value) { SetBevelOuter(CheckedEnum(*this, "BevelOuter", value, bvRaised)); }

    TBevelCut FBevelInner = bvNone;
    TBevelCut FBevelOuter = bvRaised;
    int FTag = 0;
};
