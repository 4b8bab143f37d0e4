#include "controls/fxClearPanel.h"

TFxCustomTransparentPanel::TFxCustomTransparentPanel(TComponent* owner) : TCustomPanel(owner) {
    TControlStyle style = ControlStyle();
    style.Exclude(csSetCaption);
    style.Exclude(csOpaque);
    SetControlStyle(style);
    SetBevelOuter(bvRaised);
}

void TFxCustomTransparentPanel::Publish(TPublisher<TFxCustomTransparentPanel>& p) {
    p.Bool("Transparent", &TFxCustomTransparentPanel::Transparent,
           &TFxCustomTransparentPanel::SetTransparent)
        .Default(true);
}

void TFxCustomTransparentPanel::SetTransparent(bool value) {
    if (FTransparent == value)
        return;
    FTransparent = value;
    if (ComponentState().Contains(csLoading) || !HandleAllocated())
        return;
    // The window's style follows at once.
    RecreateWnd();
    RequestRepaint();
}

void TFxCustomTransparentPanel::AttachParent(TWinControl* parent) {
    TCustomPanel::AttachParent(parent);
}

void TFxCustomTransparentPanel::AfterWindowCreated() {
    TCustomPanel::AfterWindowCreated();
}

void TFxCustomTransparentPanel::PrepareWindowParams(TCreateParams& params) {
    TCustomPanel::PrepareWindowParams(params);
    if (IsTransparent())
        params.ExStyle |= WS_EX_TRANSPARENT;
}

void TFxCustomTransparentPanel::RequestRepaint() {
    if (!IsTransparent() || !Parent()) {
        TCustomPanel::RequestRepaint();
        return;
    }
    // The parent's picture under the panel first, then the panel and its children over it.
    TRect r = BoundsRect();
    Parent()->InvalidateRect(&r);
    Parent()->Update();
    TCustomPanel::RequestRepaint();
    for (int i = 0; i < ControlCount(); ++i)
        Controls(i)->Invalidate();
}

void TFxCustomTransparentPanel::ArrangeChildren(TControl* control, TRect& rect) {
    TCustomPanel::ArrangeChildren(control, rect);
    if (IsTransparent() && HandleAllocated())
        Invalidate();
}

void TFxCustomTransparentPanel::HandleMessage(TMessage& message) {
    if (IsTransparent()) {
        if (message.Msg == WM_ERASEBKGND) {
            message.Result = 1; // the parent's picture stays
            return;
        }
        if (message.Msg == WM_MOVE) {
            TCustomPanel::HandleMessage(message);
            Invalidate();
            return;
        }
    }
    TCustomPanel::HandleMessage(message);
}

void TFxCustomTransparentPanel::PaintControl() {
    if (!IsTransparent()) {
        TCustomPanel::PaintControl();
        return;
    }
    TCanvas* canvas = Canvas();
    TRect r = ClientRect();
    if (BevelOuter() != bvNone) {
        bool lowered = BevelOuter() == bvLowered;
        Frame3D(canvas, r, lowered ? clBtnShadow : clBtnHighlight,
                lowered ? clBtnHighlight : clBtnShadow, BevelWidth());
    }
    Frame3D(canvas, r, Color(), Color(), BorderWidth());
    if (BevelInner() != bvNone) {
        bool lowered = BevelInner() == bvLowered;
        Frame3D(canvas, r, lowered ? clBtnShadow : clBtnHighlight,
                lowered ? clBtnHighlight : clBtnShadow, BevelWidth());
    }
}
