#pragma once
// An image button whose face and window region are a geometric shape: a rounded
// rectangle, an ellipse, or a polygon (triangle, arrow, diamond, rectangle, star,
// trapezoid or a custom point list), turned to one of four orientations, with a bevel
// drawn along the polygon's edges.

#include "controls/fxImgBtn.h"

#include <memory>
#include <vector>

enum TFxButtonShape {
    bsRoundRect,
    bsEllipse,
    bsTriangle,
    bsArrow,
    bsDiamond,
    bsRect,
    bsStar,
    bsTrapezoid,
    bsCustom
};
enum TFxShapeOrientation { soLeft, soRight, soUp, soDown };

class TFxCustomShapeBtn : public TFxCustomImageBtn {
    ORV_CLASS(TFxCustomShapeBtn, TFxCustomImageBtn)
public:
    explicit TFxCustomShapeBtn(TComponent* owner);
    ~TFxCustomShapeBtn() override;
    static void Publish(TPublisher<TFxCustomShapeBtn>& p);

    TStringList* PointList() const { return FPointList.get(); }
    void SetPointList(const TStringList* value);
    TFxButtonShape Shape() const { return FShape; }
    void SetShape(TFxButtonShape value);
    TFxShapeOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TFxShapeOrientation value);
    int RoundRectBias() const { return FRoundRectBias; }
    void SetRoundRectBias(int value);

    // The closed outline (points plus the first again), turned to the orientation; empty
    // for the round shapes and for custom lists of fewer than three lines.
    std::vector<TPoint> GetShapePoints();
    // The points of PointList ("X, Y" per line, WIDTH and HEIGHT replaced by the button's
    // size less one). A bad line raises; the shape then falls back to bsRect.
    std::vector<TPoint> ParseCustomPoints();
    // Mask colour: pure red, or pure blue for a pure red button.
    TColor MaskColor() const;
    // The button's colour as drawn on this display.
    TColor FaceColor() const;

    std::optional<TRegion> CreateStateRegion(bool make, bool down) override;
    bool StoresRegionData() const override { return false; }
    void DrawFace(TFxBitmap* bitmap, bool forRegion, bool down, TFxShadeStyle style) override;
    bool UsesWindowRegion() const override { return true; }
    bool TracksRegionChange() const override { return false; }
    void SizeToContent() override;
    virtual bool IsRoundShape() const { return FShape == bsRoundRect || FShape == bsEllipse; }

protected:
    void CopyInto(TPersistent* dest) const override;

private:
    void DrawShapeEdges(TFxBitmap* bitmap, const std::vector<TPoint>& points, bool down);
    void ShapeChanged();

    std::unique_ptr<TStringList> FPointList;
    TFxButtonShape FShape = bsRect;
    TFxShapeOrientation FOrientation = soUp;
    int FRoundRectBias = 25;
    std::unique_ptr<TFxBitmap> FWorkBitmap;
};

class TFxShapeBtn : public TFxCustomShapeBtn {
    ORV_CLASS(TFxShapeBtn, TFxCustomShapeBtn)
public:
    using TFxCustomShapeBtn::TFxCustomShapeBtn;
};
