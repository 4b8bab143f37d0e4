#pragma once
// A panel that can let its parent show through: while Transparent it paints no
// background (only its bevels and border), its window takes the transparent style, and a
// repaint request repaints the parent's area under it first.

#include "framework/gui/ExtraControls.h"

class TFxCustomTransparentPanel : public TCustomPanel {
    ORV_CLASS(TFxCustomTransparentPanel, TCustomPanel)
public:
    explicit TFxCustomTransparentPanel(TComponent* owner);
    static void Publish(TPublisher<TFxCustomTransparentPanel>& p);

    bool Transparent() const { return IsTransparent(); }
    virtual void SetTransparent(bool value);
    virtual bool IsTransparent() const { return FTransparent; }

    void AttachParent(TWinControl* parent) override;
    void RequestRepaint() override;
    void HandleMessage(TMessage& message) override;

protected:
    // The transparency flag alone: no window style change and no repaint.
    bool TransparentFlag() const { return FTransparent; }
    void StoreTransparentFlag(bool value) { FTransparent = value; }

    void ArrangeChildren(TControl* control, TRect& rect) override;
    void PrepareWindowParams(TCreateParams& params) override;
    void AfterWindowCreated() override;
    void PaintControl() override;

private:
    bool FTransparent = true;
};
