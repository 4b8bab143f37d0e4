#include "controls/fxButton.h"

#include "controls/fxCommon.h"
#include "framework/core/RegionData.h"
#include "framework/core/Streams.h"
#include "framework/core/SystemUtils.h"
#include "framework/gui/Actions.h"
#include "framework/gui/Forms.h"
#include "framework/gui/ImageList.h"
#include "framework/gui/StandardControls.h"
#include "framework/gui/WindowSystem.h"

#include <algorithm>

namespace {

struct TKindInfo {
    const char* Caption;
    int ModalResult;
    bool Default;
    bool Cancel;
};

const TKindInfo kKinds[] = {
    {"", 0, false, false},        {"OK", 1, true, false},     {"Cancel", 2, false, true},
    {"&Help", 0, false, false},   {"&Yes", 6, true, false},   {"&No", 7, false, true},
    {"&Close", 0, false, false},  {"Abort", 3, false, false}, {"&Retry", 4, false, false},
    {"&Ignore", 5, false, false}, {"&All", 8, false, false},
};

const TTypeInfo* LayoutTypeInfo() {
    static const TTypeInfo t = MakeEnumType(
        "TButtonLayout", {"blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom"});
    return &t;
}
const TTypeInfo* KindTypeInfo() {
    static const TTypeInfo t =
        MakeEnumType("TBitBtnKind", {"bkCustom", "bkOK", "bkCancel", "bkHelp", "bkYes", "bkNo",
                                     "bkClose", "bkAbort", "bkRetry", "bkIgnore", "bkAll"});
    return &t;
}
const TTypeInfo* ShadeStyleTypeInfo() {
    static const TTypeInfo t =
        MakeEnumType("TFxShadeStyle", {"fbsNormal", "fbsRaised", "fbsHighlight", "fbsFlat"});
    return &t;
}
const TTypeInfo* ButtonStyleTypeInfo() {
    static const TTypeInfo t = MakeEnumType("TButtonStyle", {"bsAutoDetect", "bsWin31", "bsNew"});
    return &t;
}
const TTypeInfo* ButtonOptionsTypeInfo() {
    static const TTypeInfo member =
        MakeEnumType("TFxButtonOption", {"boFocusable", "boOverrideActionGlyph", "boToggleOnUp",
                                         "boFocusRect", "boAutoBold"});
    static const TTypeInfo t = MakeSetType("TFxButtonOptions", &member);
    return &t;
}

} // namespace

// ---------------------------------------------------------------------------
// Companions

void TFxOffsets::Publish(TPublisher<TFxOffsets>& p) {
    p.Integer("GlyphX", &TFxOffsets::GlyphX, &TFxOffsets::SetGlyphX).Default(0);
    p.Integer("GlyphY", &TFxOffsets::GlyphY, &TFxOffsets::SetGlyphY).Default(0);
    p.Integer("TextX", &TFxOffsets::TextX, &TFxOffsets::SetTextX).Default(0);
    p.Integer("TextY", &TFxOffsets::TextY, &TFxOffsets::SetTextY).Default(0);
    p.Integer("TextDownX", &TFxOffsets::TextDownX, &TFxOffsets::SetTextDownX).NoDefault();
    p.Integer("TextDownY", &TFxOffsets::TextDownY, &TFxOffsets::SetTextDownY).NoDefault();
}

void TFxOffsets::Set(int& field, int value) {
    if (field == value)
        return;
    field = value;
    if (FButton)
        FButton->Invalidate();
}

void TFxOffsets::CopyInto(TPersistent* dest) const {
    auto* d = dynamic_cast<TFxOffsets*>(dest);
    if (!d) {
        TPersistent::CopyInto(dest);
        return;
    }
    d->FGlyphX = FGlyphX;
    d->FGlyphY = FGlyphY;
    d->FTextX = FTextX;
    d->FTextY = FTextY;
    d->FTextDownX = FTextDownX;
    d->FTextDownY = FTextDownY;
    if (d->FButton)
        d->FButton->Invalidate();
}

void TFxShadeColors::Publish(TPublisher<TFxShadeColors>& p) {
    p.Ordinal("BtnHighlight", TypeInfoTColor(), &TFxShadeColors::BtnHighlight,
              &TFxShadeColors::SetBtnHighlight)
        .Default(int(clBtnHighlight));
    p.Ordinal("Btn3DLight", TypeInfoTColor(), &TFxShadeColors::Btn3DLight,
              &TFxShadeColors::SetBtn3DLight)
        .Default(int(cl3DLight));
    p.Ordinal("BtnShadow", TypeInfoTColor(), &TFxShadeColors::BtnShadow,
              &TFxShadeColors::SetBtnShadow)
        .Default(int(clBtnShadow));
    p.Ordinal("BtnBlack", TypeInfoTColor(), &TFxShadeColors::BtnBlack, &TFxShadeColors::SetBtnBlack)
        .Default(int(clBlack));
    p.Ordinal("BtnFocus", TypeInfoTColor(), &TFxShadeColors::BtnFocus, &TFxShadeColors::SetBtnFocus)
        .Default(int(clBlack));
    p.Ordinal("Shadow", TypeInfoTColor(), &TFxShadeColors::Shadow, &TFxShadeColors::SetShadow)
        .Default(int(clBlack));
}

void TFxShadeColors::Set(TColor& field, TColor value) {
    if (field == value)
        return;
    field = value;
    if (FButton)
        FButton->Invalidate();
}

void TFxShadeColors::CopyInto(TPersistent* dest) const {
    auto* d = dynamic_cast<TFxShadeColors*>(dest);
    if (!d) {
        TPersistent::CopyInto(dest);
        return;
    }
    d->FBtnHighlight = FBtnHighlight;
    d->FBtn3DLight = FBtn3DLight;
    d->FBtnShadow = FBtnShadow;
    d->FBtnBlack = FBtnBlack;
    d->FBtnFocus = FBtnFocus;
    d->FShadow = FShadow;
    if (d->FButton)
        d->FButton->Invalidate();
}

// ---------------------------------------------------------------------------
// The button

TFxCustomBitBtn::TFxCustomBitBtn(TComponent* owner)
    : TOwnerDrawButton(owner), FGlyph(std::make_unique<TBitmap>()),
      FShadeColors(std::make_unique<TFxShadeColors>(this)) {
    // The button captures the mouse and makes its clicks itself.
    SetControlStyle(TControlStyle{csSetCaption, csOpaque, csReflector});
    FColor = clBtnFace;
    SetParentColor(false);
    SetBounds(Left(), Top(), 75, 25);
    SetTabStop(true);
    FGlyph->SetOnChange(TNotifyEvent([this](TObject*) { Invalidate(); }));
    FTextOptions = std::make_unique<TFxCaptionText>(
        nullptr, Font(), [this](int, int) { Invalidate(); }, [](int) {},
        [this] { return IsEnabledForDrawing(); });
    FTextOptions->SetAlignment(taCenter);
    FTextOptions->SetVAlignment(vaVCenter);
    FOffsets.reset(CreateOffsets());
}

TFxCustomBitBtn::~TFxCustomBitBtn() {
    FGlyph->SetOnChange(TNotifyEvent());
}

void TFxCustomBitBtn::Publish(TPublisher<TFxCustomBitBtn>& p) {
    p.Bool("AllowAllUp", &TFxCustomBitBtn::AllowAllUp, &TFxCustomBitBtn::SetAllowAllUp)
        .Default(false);
    p.Bool("Cancel", &TFxCustomBitBtn::Cancel, &TFxCustomBitBtn::SetCancel).Default(false);
    p.String("Caption", &TFxCustomBitBtn::Caption, &TFxCustomBitBtn::SetCaption)
        .Stored(std::function<bool(const TObject*)>([](const TObject* o) {
            return static_cast<const TFxCustomBitBtn*>(o)->CaptionNeedsStoring();
        }));
    p.Bool("Default", &TFxCustomBitBtn::Default, &TFxCustomBitBtn::SetDefault).Default(false);
    p.Bool("Down", &TFxCustomBitBtn::Down, &TFxCustomBitBtn::SetDown).Default(false);
    p.Class("Glyph", TBitmap::StaticClass(), &TFxCustomBitBtn::Glyph, &TFxCustomBitBtn::SetGlyph)
        .Stored(std::function<bool(const TObject*)>([](const TObject* o) {
            return static_cast<const TFxCustomBitBtn*>(o)->GlyphNeedsStoring();
        }));
    p.Integer("GroupIndex", &TFxCustomBitBtn::GroupIndex, &TFxCustomBitBtn::SetGroupIndex)
        .Default(0);
    p.Enum("Kind", KindTypeInfo(), &TFxCustomBitBtn::Kind, &TFxCustomBitBtn::SetKind)
        .Default(bkCustom);
    p.Enum("Layout", LayoutTypeInfo(), &TFxCustomBitBtn::Layout, &TFxCustomBitBtn::SetLayout)
        .Default(blGlyphLeft);
    p.Integer("Margin", &TFxCustomBitBtn::Margin, &TFxCustomBitBtn::SetMargin).Default(-1);
    p.Integer("ModalResult", &TFxCustomBitBtn::ModalResult, &TFxCustomBitBtn::SetModalResult)
        .Default(0);
    p.Integer("NumGlyphs", &TFxCustomBitBtn::NumGlyphs, &TFxCustomBitBtn::SetNumGlyphs).Default(1);
    p.Class("Offsets", TFxOffsets::StaticClass(), &TFxCustomBitBtn::Offsets,
            &TFxCustomBitBtn::SetOffsets);
    p.Set("Options", ButtonOptionsTypeInfo(), &TFxCustomBitBtn::Options,
          &TFxCustomBitBtn::SetOptions)
        .Default(0);
    p.Class("ShadeColors", TFxShadeColors::StaticClass(), &TFxCustomBitBtn::ShadeColors,
            &TFxCustomBitBtn::SetShadeColors);
    p.Enum("ShadeStyle", ShadeStyleTypeInfo(), &TFxCustomBitBtn::ShadeStyle,
           &TFxCustomBitBtn::SetShadeStyle)
        .Default(fbsNormal);
    p.Integer("Spacing", &TFxCustomBitBtn::Spacing, &TFxCustomBitBtn::SetSpacing).Default(4);
    p.Enum("Style", ButtonStyleTypeInfo(), &TFxCustomBitBtn::Style, &TFxCustomBitBtn::SetStyle)
        .Default(bsAutoDetect);
    p.Class("TextOptions", TFxCaptionText::StaticClass(), &TFxCustomBitBtn::TextOptions,
            &TFxCustomBitBtn::SetTextOptions);
    p.Event("OnSelChange", &TFxCustomBitBtn::OnSelChange, &TFxCustomBitBtn::SetOnSelChange);
}

TFxOffsets* TFxCustomBitBtn::CreateOffsets() {
    return new TFxOffsets(this);
}

void TFxCustomBitBtn::PrepareWindowParams(TCreateParams& params) {
    TOwnerDrawButton::PrepareWindowParams(params);
}

UINT TFxCustomBitBtn::OwnerDrawState() {
    UINT state = TOwnerDrawButton::OwnerDrawState();
    if (FDown)
        state |= ODS_SELECTED;
    if (FDefault)
        state |= ODS_DEFAULT;
    return state;
}

// ---- Property writes

void TFxCustomBitBtn::SetAllowAllUp(bool value) {
    if (FAllowAllUp == value)
        return;
    FAllowAllUp = value;
    ReleaseGroupMates();
}

void TFxCustomBitBtn::SetGroupIndex(int value) {
    if (FGroupIndex == value)
        return;
    FGroupIndex = value;
    ReleaseGroupMates();
}

void TFxCustomBitBtn::SetDefault(bool value) {
    if (FDefault == value)
        return;
    FDefault = value;
    if (HandleAllocated())
        if (TCustomForm* form = GetParentForm(this))
            Perform(CM_FOCUSCHANGED, 0, LPARAM(form->ActiveControl()));
}

void TFxCustomBitBtn::SetDown(bool value) {
    if (FGroupIndex == 0 && !IsLoading())
        value = false;
    if (value == FDown)
        return;
    SetDownState(value, true, true);
    if (FDown == value)
        SelectionChanged();
}

void TFxCustomBitBtn::SetDownState(bool down, bool repaint, bool releaseMates) {
    if (down != FDown) {
        FDown = down;
        RefreshRegion();
        if (down)
            NotifyLinksDown();
        if (releaseMates)
            ReleaseGroupMates();
        if (repaint)
            Invalidate();
    }
    ApplyAutoBold();
}

void TFxCustomBitBtn::ApplyAutoBold() {
    if (FGroupIndex <= 0 || !FOptions.Contains(boAutoBold))
        return;
    TFontStyles style = Font()->Style();
    if (FDown)
        style.Include(fsBold);
    else
        style.Exclude(fsBold);
    if (!(style == Font()->Style()))
        Font()->SetStyle(style);
}

void TFxCustomBitBtn::SetGlyph(const TBitmap* value) {
    if (value)
        FGlyph->AssignFrom(value);
    else
        FGlyph->SetSize(0, 0);
    FKindModified = true;
    Invalidate();
}

void TFxCustomBitBtn::ActionChange(TBasicAction* sender) {
    TOwnerDrawButton::ActionChange(sender);
    auto* action = dynamic_cast<TCustomAction*>(sender);
    if (!action || !action->ActionList())
        return;
    TImageList* images = action->ActionList()->Images();
    int index = action->ImageIndex();
    if (!images || index < 0 || index >= images->Count())
        return;
    if (!FGlyph->Empty() && !FOptions.Contains(boOverrideActionGlyph))
        return;
    // The action's image on magenta, the colour masked when the glyph is drawn.
    constexpr TColor kGlyphBack = TColor(0xFF00FF);
    TBitmap glyph;
    glyph.SetSize(images->Width(), images->Height());
    glyph.Canvas()->Brush()->SetColor(kGlyphBack);
    glyph.Canvas()->Brush()->SetStyle(bsSolid);
    glyph.Canvas()->FillRect(TRect(0, 0, images->Width(), images->Height()));
    images->Draw(glyph.Canvas(), 0, 0, index);
    glyph.SetTransparentColor(kGlyphBack);
    FGlyph->AssignFrom(&glyph);
    Invalidate();
}

void TFxCustomBitBtn::SetLayout(TButtonLayout value) {
    if (FLayout == value)
        return;
    FLayout = value;
    Invalidate();
}

void TFxCustomBitBtn::SetMargin(int value) {
    if (value < -1 || value == FMargin)
        return;
    FMargin = value;
    Invalidate();
}

void TFxCustomBitBtn::SetNumGlyphs(int value) {
    value = std::clamp(value, 1, 4);
    if (FNumGlyphs == value)
        return;
    FNumGlyphs = value;
    Invalidate();
}

void TFxCustomBitBtn::SetShadeColors(const TFxShadeColors* value) {
    if (value)
        FShadeColors->AssignFrom(value);
}

void TFxCustomBitBtn::SetShadeStyle(TFxShadeStyle value) {
    if (FShadeStyle == value)
        return;
    FShadeStyle = value;
    if (HandleAllocated())
        RecreateWnd();
}

void TFxCustomBitBtn::SetSpacing(int value) {
    if (FSpacing == value)
        return;
    FSpacing = value;
    Invalidate();
}

void TFxCustomBitBtn::SetStyle(TButtonStyle value) {
    if (FStyle == value)
        return;
    FStyle = value;
    Invalidate();
}

void TFxCustomBitBtn::SetTextOptions(const TFxCaptionText* value) {
    if (!value)
        return;
    FTextOptions->AssignFrom(value);
    FTextOptions->SetAlignment(value->Alignment());
    FTextOptions->SetVAlignment(value->VAlignment());
    FTextOptions->SetWordWrap(value->WordWrap());
}

void TFxCustomBitBtn::SetOffsets(const TFxOffsets* value) {
    if (value)
        FOffsets->AssignFrom(value);
}

void TFxCustomBitBtn::SetOptions(TFxButtonOptions value) {
    if (FOptions == value)
        return;
    bool boldChanged = FOptions.Contains(boAutoBold) != value.Contains(boAutoBold);
    if (FOptions.Contains(boFocusable) && !value.Contains(boFocusable))
        SetTabStop(false);
    FOptions = value;
    if (boldChanged)
        ApplyAutoBold();
    Invalidate();
}

// ---- Kinds

TBitBtnKind TFxCustomBitBtn::Kind() const {
    if (FKind != bkCustom) {
        const TKindInfo& k = kKinds[FKind];
        if (FDefault != k.Default || FCancel != k.Cancel || FModalResult != k.ModalResult ||
            FKindModified)
            FKind = bkCustom;
    }
    return FKind;
}

void TFxCustomBitBtn::SetKind(TBitBtnKind value) {
    if (value == bkCustom) {
        FKind = bkCustom;
        return;
    }
    const TKindInfo& k = kKinds[value];
    FDefault = k.Default;
    FCancel = k.Cancel;
    FModalResult = k.ModalResult;
    if (!(IsLoading() && !Caption().empty()))
        SetCaption(k.Caption);
    if (const TBitmap* glyph = KindGlyph(value))
        FGlyph->AssignFrom(glyph);
    FNumGlyphs = 2;
    FKind = value;
    FKindModified = false;
    Invalidate();
}

bool TFxCustomBitBtn::GlyphNeedsStoring() const {
    return Kind() == bkCustom;
}

bool TFxCustomBitBtn::CaptionNeedsStoring() const {
    TBitBtnKind k = Kind();
    return k == bkCustom || Caption() != kKinds[k].Caption;
}

// ---- Group and links

void TFxCustomBitBtn::ReleaseGroupMates() {
    if (FGroupIndex == 0 || !Parent())
        return;
    TMessage m{CM_FXBUTTONPRESSED, WPARAM(FGroupIndex), LPARAM(static_cast<TControl*>(this)), 0,
               nullptr};
    Parent()->Broadcast(m);
}

void TFxCustomBitBtn::SelectionChanged() {
    FLastDown = FDown;
    if (FOnSelChange)
        FOnSelChange(this);
    NotifyLinksSelChange();
}

void TFxCustomBitBtn::AddChangeLink(TFxChangeLink* link) {
    FChangeLinks.Add(link);
}

void TFxCustomBitBtn::RemoveChangeLink(TFxChangeLink* link) {
    FChangeLinks.Remove(link);
}

void TFxCustomBitBtn::NotifyLinksSelChange() {
    FChangeLinks.Fire(this, &TFxChangeLink::FireChange);
}

void TFxCustomBitBtn::NotifyLinksDown() {
    FChangeLinks.Fire(this, &TFxChangeLink::FireStateDown);
}

void TFxCustomBitBtn::NotifyLinksLoaded() {
    FChangeLinks.Fire(this, &TFxChangeLink::FireLoaded);
}

void TFxCustomBitBtn::DeriveShadeColors(TColor color) {
    FShadeColors->SetBtnShadow(AdjustColor(color, -50, true));
    FShadeColors->SetBtnBlack(AdjustColor(FShadeColors->BtnShadow(), -50, true));
    FShadeColors->SetBtn3DLight(AdjustColor(color, 50, true));
    FShadeColors->SetBtnHighlight(AdjustColor(FShadeColors->Btn3DLight(), 50, true));
}

// ---- Life

void TFxCustomBitBtn::AfterLoad() {
    TOwnerDrawButton::AfterLoad();
    if (!FOptions.Contains(boFocusable))
        SetTabStop(false);
    ApplyWindowRegion();
    NotifyLinksLoaded();
}

void TFxCustomBitBtn::Rename(const std::string& newName) {
    TOwnerDrawButton::Rename(newName);
    if (FOnNameChange)
        FOnNameChange(this);
}

void TFxCustomBitBtn::CopyInto(TPersistent* dest) const {
    auto* d = dynamic_cast<TFxCustomBitBtn*>(dest);
    if (!d) {
        TOwnerDrawButton::CopyInto(dest);
        return;
    }
    d->SetColor(Color());
    d->FOffsets->AssignFrom(FOffsets.get());
    d->FLayout = FLayout;
    d->FMargin = FMargin;
    d->FNumGlyphs = FNumGlyphs;
    d->FOptions = FOptions;
    d->FShadeColors->AssignFrom(FShadeColors.get());
    d->FSpacing = FSpacing;
    d->SetTabStop(TabStop());
    d->SetTextOptions(FTextOptions.get());
    d->Invalidate();
}

void TFxCustomBitBtn::AfterWindowCreated() {
    TOwnerDrawButton::AfterWindowCreated();
    FActiveDefault = FDefault;
    ApplyWindowRegion();
}

void TFxCustomBitBtn::BeforeWindowDestroyed() {
    ClearWindowRegion();
    TOwnerDrawButton::BeforeWindowDestroyed();
}

// ---- Region data

void TFxCustomBitBtn::DefineStreamedData(TFiler& filer) {
    TOwnerDrawButton::DefineStreamedData(filer);
    if (!StoresRegionData())
        return;
    filer.DefineBinary(
        "RegionData", WriteRegionData(), [this](std::string_view v) { ReadRegionData(v); }, true);
    filer.DefineBinary(
        "DownRegionData", WriteDownRegionData(),
        [this](std::string_view v) { ReadDownRegionData(v); }, true);
}

void TFxCustomBitBtn::ReadRegionData(std::string_view stored) {
    FRegionData = ReadStoredRegionData(stored);
}

void TFxCustomBitBtn::ReadDownRegionData(std::string_view stored) {
    FDownRegionData = ReadStoredRegionData(stored);
}

std::string TFxCustomBitBtn::WriteRegionData() const {
    return StoredRegionData(FRegionData);
}

std::string TFxCustomBitBtn::WriteDownRegionData() const {
    return StoredRegionData(FDownRegionData);
}

void TFxCustomBitBtn::KeepRegionData(const std::optional<TRegion>& region, bool down) {
    std::vector<uint8_t>& buffer = down ? FDownRegionData : FRegionData;
    buffer.clear();
    if (region)
        buffer = region->Data();
}

std::optional<TRegion> TFxCustomBitBtn::CreateStateRegion(bool /*make*/, bool down) {
    const std::vector<uint8_t>& buffer = down ? FDownRegionData : FRegionData;
    if (buffer.empty())
        return std::nullopt;
    bool ok = false;
    TRegion r = TRegion::FromData(buffer, &ok);
    if (!ok)
        return std::nullopt;
    return r;
}

void TFxCustomBitBtn::FreeRegionData() {
    FRegionData.clear();
    FDownRegionData.clear();
}

void TFxCustomBitBtn::RefreshRegion() {
    if (TracksRegionChange())
        ApplyWindowRegion();
}

void TFxCustomBitBtn::ClearWindowRegion() {
    if (HandleAllocated() && !ComponentState().Contains(csDestroying))
        SetWindowRgn(nullptr, false);
    FWindowRegion.reset();
    FLastRegion.reset();
}

void TFxCustomBitBtn::ParentInvalidateRegion(const TRegion& region) {
    // On each parent in turn up to the form, moved by each control's position.
    TRegion r = region;
    TControl* c = this;
    while (c && c->Parent()) {
        r.Offset(c->Left(), c->Top());
        TRect box = r.BoundingBox();
        c->Parent()->InvalidateRect(&box);
        if (dynamic_cast<TCustomForm*>(c->Parent()))
            break;
        c = c->Parent();
    }
}

void TFxCustomBitBtn::ApplyWindowRegion() {
    if (!HandleAllocated() || !UsesWindowRegion())
        return;
    SetWindowRgn(nullptr, false);
    FWindowRegion = CreateStateRegion(true, FDown);
    if (FLastRegion && FWindowRegion && TracksRegionChange()) {
        TRegion changed;
        changed.Combine(*FLastRegion, *FWindowRegion, RGN_XOR);
        if (!changed.IsEmpty())
            ParentInvalidateRegion(changed);
    }
    if (TracksRegionChange())
        FLastRegion = FWindowRegion;
    SetWindowRgn(FWindowRegion ? &*FWindowRegion : nullptr, false);
    if (TracksRegionChange() && Parent())
        InvalidateChildrenOver(Parent(), this);
}

void TFxCustomBitBtn::InvalidateOutsideRegion(bool /*erase*/) {
    if (!Parent())
        return;
    TRegion outside = TRegion::FromRect(ClientRect());
    if (auto r = CreateStateRegion(false, FDown))
        outside.Combine(*r, RGN_DIFF);
    outside.Offset(Left(), Top());
    for (const TRect& r : outside.Rects())
        Parent()->InvalidateRect(&r);
}

void TFxCustomBitBtn::HandleResize() {
    FreeRegionData();
    if (HandleAllocated()) {
        SetWindowRgn(nullptr, true);
        FWindowRegion.reset();
        ApplyWindowRegion();
        Invalidate();
        InvalidateParentArea(this, true);
    }
    TOwnerDrawButton::HandleResize();
}

// ---- Painting

void TFxCustomBitBtn::DrawFace(TFxBitmap* /*bitmap*/, bool /*forRegion*/, bool /*down*/,
                               TFxShadeStyle /*style*/) {}

void TFxCustomBitBtn::RedrawButton() {
    Invalidate();
}

int TFxCustomBitBtn::GlyphWidth() const {
    if (FNumGlyphs == 0)
        return FGlyph->Width();
    return FGlyph->Width() / FNumGlyphs;
}

void TFxCustomBitBtn::CalcContentLayout(TCanvas* canvas) {
    TRect area = ClientRect();
    area = TRect(area.Left + 2, area.Top + 2, area.Right - 2, area.Bottom - 2);
    int m = FMargin == -1 ? -1 : FMargin;
    area = TRect(area.Left + m, area.Top + m, area.Right - m, area.Bottom - m);
    int margin = FMargin == -1 ? 4 : FMargin;
    TPoint glyphSize = FGlyph->Empty() ? TPoint(0, 0) : TPoint(GlyphWidth(), FGlyph->Height());
    TPoint textSize;
    std::string caption = Caption();
    if (!caption.empty()) {
        FTextOptions->SetCanvas(canvas);
        FTextOptions->SetFont(Font());
        FTextOptions->SetText(caption);
        TRect r = area;
        FTextOptions->CalcRect(false, r);
        textSize = TPoint(r.Width(), r.Height());
    }
    int s = (!caption.empty() && !FGlyph->Empty()) ? FSpacing : 0;
    TPoint center(Width() / 2, Height() / 2);
    switch (FTextOptions->Alignment()) {
    case taLeftJustify:
        center.X = (textSize.X + glyphSize.X + s) / 2 + margin;
        break;
    case taRightJustify:
        center.X = Width() - margin - (textSize.X + glyphSize.X + s) / 2;
        break;
    case taCenter:
        break;
    }
    CalcGlyphTextLayout(center, FTextRect, FGlyphRect, s, FLayout, glyphSize, textSize);
    int tx = FOffsets->TextX(), ty = FOffsets->TextY();
    int gx = FOffsets->GlyphX(), gy = FOffsets->GlyphY();
    if (FDown) {
        tx += FOffsets->TextDownX();
        ty += FOffsets->TextDownY();
        gx += FOffsets->TextDownX();
        gy += FOffsets->TextDownY();
    }
    FTextRect =
        TRect(FTextRect.Left + tx, FTextRect.Top + ty, FTextRect.Right + tx, FTextRect.Bottom + ty);
    FGlyphRect = TRect(FGlyphRect.Left + gx, FGlyphRect.Top + gy, FGlyphRect.Right + gx,
                       FGlyphRect.Bottom + gy);
}

void TFxCustomBitBtn::DrawGlyph(TCanvas* canvas) {
    if (FGlyph->Empty())
        return;
    int frame = 0;
    bool enabled = IsEnabledForDrawing();
    if (!enabled && FNumGlyphs >= 2)
        frame = 1;
    else if (FDown && FNumGlyphs > 2)
        frame = 2;
    else if (FMouseInControl && FNumGlyphs > 3)
        frame = 3;
    int w = GlyphWidth(), h = FGlyph->Height();
    TBitmap part(w, h);
    part.Canvas()->CopyRect(TRect(0, 0, w, h), FGlyph->Canvas(),
                            TRect(frame * w, 0, frame * w + w, h));
    part.Canvas()->ReleasePainter();
    FGlyph->Canvas()->ReleasePainter();
    TColor key = FGlyph->TransparentColor();
    TImageList list(nullptr, w, h);
    if (!enabled && FNumGlyphs == 1) {
        TBitmap disabled;
        part.SetTransparentColor(key);
        MakeDisabledBitmap(&part, &disabled);
        list.AddMasked(&disabled, ColorToRGB(clBtnFace));
    } else {
        list.AddMasked(&part, key);
    }
    DrawImageListGlyph(&list, 0, canvas, true, dsTransparent, FGlyphRect.Top, FGlyphRect.Left);
}

void TFxCustomBitBtn::DrawCaption(TCanvas* canvas) {
    std::string caption = Caption();
    if (caption.empty())
        return;
    canvas->Brush()->SetStyle(bsClear);
    FTextOptions->SetCanvas(canvas);
    FTextOptions->SetFont(Font());
    FTextOptions->SetText(caption);
    FTextOptions->SetDrawRect(FTextRect);
    FTextOptions->Draw();
    canvas->Brush()->SetStyle(bsSolid);
}

void TFxCustomBitBtn::DrawContent(TCanvas* canvas, const TRect& /*r*/) {
    CalcContentLayout(canvas);
    FTextRect =
        TRect(std::max(0, FTextRect.Left), std::max(0, FTextRect.Top),
              std::min(ClientWidth(), FTextRect.Right), std::min(ClientHeight(), FTextRect.Bottom));
    DrawGlyph(canvas);
    DrawCaption(canvas);
    if (FOptions.Contains(boFocusRect) && FOptions.Contains(boFocusable) && Focused()) {
        TRect u(std::min(FTextRect.Left, FGlyphRect.Left) - 2,
                std::min(FTextRect.Top, FGlyphRect.Top) - 2,
                std::max(FTextRect.Right, FGlyphRect.Right) + 2,
                std::max(FTextRect.Bottom, FGlyphRect.Bottom) + 2);
        canvas->Brush()->SetColor(clWhite);
        canvas->Font()->SetColor(clBlack);
        canvas->SetTextColor(clBlack);
        canvas->SetBkColor(clWhite);
        canvas->DrawFocusRect(u);
    }
}

void TFxCustomBitBtn::PaintBuffered(TCanvas* canvas) {
    TFxBitmap buffer;
    buffer.SetUpdating(true);
    buffer.AllocateImage(Width(), Height());
    if (!buffer.IsBlank()) {
        buffer.Canvas()->Brush()->SetColor(Color());
        buffer.Canvas()->FillRect(TRect(0, 0, Width(), Height()));
    }
    DrawFace(&buffer, false, FDown, FShadeStyle);
    if (buffer.IsBlank())
        return;
    DrawContent(buffer.Canvas(), ClientRect());
    buffer.Canvas()->ReleasePainter();
    canvas->Draw(0, 0, &buffer);
}

void TFxCustomBitBtn::PaintOnDC(TCanvas* canvas) {
    PaintBuffered(canvas);
}

void TFxCustomBitBtn::PaintNow() {
    if (HandleAllocated())
        Repaint();
}

// ---- Input

bool TFxCustomBitBtn::IsCursorOver(int x, int y, bool needPressing) {
    TPoint p(x, y);
    if (x == -1 && y == -1)
        p = ScreenToClient(CursorPos());
    bool over;
    if (TracksRegionChange()) {
        TRegion area;
        if (auto r = CreateStateRegion(true, !FDown))
            area = *r;
        if (FLastRegion)
            area.Combine(*FLastRegion, RGN_OR);
        over = area.Contains(p);
    } else {
        over = PtInRect(ClientRect(), p) && (!HasWindowRgn() || WindowRgn().Contains(p));
        if (over && Parent()) {
            TPoint pp(p.X + Left(), p.Y + Top());
            TControl* at = Parent()->ControlAtPos(pp, true, true);
            over = at == this;
        }
    }
    return over && (!needPressing || FPressing);
}

void TFxCustomBitBtn::StartPress() {
    FWasDown = FDown;
    if (!(FOptions.Contains(boToggleOnUp) && FGroupIndex != 0)) {
        bool changed = !FDown;
        SetDownState(true, false, false);
        if (changed)
            PaintNow();
    }
}

void TFxCustomBitBtn::FinishPress(bool inside) {
    if (FGroupIndex == 0) {
        SetDownState(false, true, false);
        PaintNow();
        return;
    }
    ReleaseGroupMates();
    if (!inside && !FOptions.Contains(boToggleOnUp))
        return;
    if (!FWasDown || FAllowAllUp) {
        SetDownState(!FWasDown, true, true);
        PaintNow();
        SelectionChanged();
    }
}

void TFxCustomBitBtn::HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TOwnerDrawButton::HandleMouseDown(button, shift, x, y);
    if (button != mbLeft || FIgnoreInput)
        return;
    FPressing = true;
    SetMouseCapture(true);
    StartPress();
}

void TFxCustomBitBtn::HandleMouseMove(TShiftState shift, int x, int y) {
    TOwnerDrawButton::HandleMouseMove(shift, x, y);
    if (!FPressing || FIgnoreInput || FOptions.Contains(boToggleOnUp))
        return;
    bool inside = IsCursorOver(x, y, false);
    if ((inside && !FDown) || (!inside && FDown && !FWasDown)) {
        SetDownState(inside, true, false);
        PaintNow();
    }
}

void TFxCustomBitBtn::HandleMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    TOwnerDrawButton::HandleMouseUp(button, shift, x, y);
    if (button != mbLeft || !FPressing)
        return;
    bool inside = IsCursorOver(x, y, false);
    FinishPress(inside);
    SetMouseCapture(false);
    if (inside || FOptions.Contains(boToggleOnUp))
        Click();
    FPressing = false;
}

void TFxCustomBitBtn::HandleKeyDown(uint16_t& key, TShiftState shift) {
    TOwnerDrawButton::HandleKeyDown(key, shift);
    if (key == VK_SPACE && !FIgnoreInput) {
        StartPress();
        FinishPress(true);
        Click();
    }
}

void TFxCustomBitBtn::Click() {
    if (FIgnoreInput)
        return;
    TBitBtnKind kind = Kind();
    if (kind == bkHelp) {
        for (TControl* c = this; c; c = c->Parent())
            if (GetOrdPropByName(c, "HelpContext") != 0)
                return; // no help file exists: showing the topic shows nothing
    } else if (kind == bkClose) {
        if (TCustomForm* form = GetParentForm(this)) {
            form->Close();
            return;
        }
    } else if (TCustomForm* form = GetParentForm(this)) {
        form->SetModalResult(TModalResult(FModalResult));
    }
    TOwnerDrawButton::Click();
}

void TFxCustomBitBtn::HandleMessage(TMessage& message) {
    switch (message.Msg) {
    case CN_DRAWITEM: {
        auto* dis = reinterpret_cast<TDrawItemStruct*>(message.LParam);
        if (dis && dis->Canvas)
            PaintOnDC(dis->Canvas);
        message.Result = 1;
        return;
    }
    case CN_MEASUREITEM: {
        auto* mis = reinterpret_cast<TMeasureItemStruct*>(message.LParam);
        if (mis) {
            mis->ItemWidth = UINT(Width());
            mis->ItemHeight = UINT(Height());
        }
        message.Result = 1;
        return;
    }
    case WM_ERASEBKGND:
        message.Result = 1;
        return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        // Only a press of the real left button, and without the framework's focusing.
        if (!(message.WParam & MK_LBUTTON))
            return;
        TMessage cancel{CM_CANCELMODE, 0, LPARAM(this), 0, nullptr};
        if (Parent())
            Parent()->Broadcast(cancel);
        if (FOptions.Contains(boFocusable) && CanFocus() && !Focused())
            SetFocus();
        TPoint pt(GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam));
        HandleMouseDown(mbLeft, ShiftStateFromMouseFlags(message.WParam), pt.X, pt.Y);
        return;
    }
    case WM_CANCELMODE:
    case CM_CANCELMODE:
        if (message.Msg == CM_CANCELMODE && message.LParam == LPARAM(this))
            break;
        if (FPressing)
            Perform(WM_LBUTTONUP, 0, MAKELPARAM(-1, -1));
        return;
    case WM_MOUSEACTIVATE:
        if (!FOptions.Contains(boFocusable) && !ComponentState().Contains(csDesigning)) {
            message.Result = MA_NOACTIVATEANDEAT;
            if (TCustomForm* form = GetParentForm(this))
                form->BringToFront();
            TPoint p = ScreenToClient(CursorPos());
            UINT mouse = HIWORD(uintptr_t(message.LParam));
            if (p.X >= 0 && p.Y >= 0 && (mouse == WM_LBUTTONDOWN || mouse == WM_RBUTTONDOWN))
                PostMessage(Handle(), mouse, mouse == WM_LBUTTONDOWN ? MK_LBUTTON : MK_RBUTTON,
                            MAKELPARAM(p.X, p.Y));
            return;
        }
        break;
    case CM_FXBUTTONPRESSED: {
        // Speed buttons use the same message: only fx buttons are group mates here.
        auto* sender = dynamic_cast<TFxCustomBitBtn*>(reinterpret_cast<TControl*>(message.LParam));
        if (sender && sender != this && int(message.WParam) == FGroupIndex && sender->Down() &&
            FDown) {
            SetDownState(false, true, false);
            SelectionChanged();
        }
        return;
    }
    case CM_DIALOGKEY: {
        int key = int(message.WParam);
        TShiftState shift = KeyboardShiftState();
        bool noShift =
            !shift.Contains(ssShift) && !shift.Contains(ssCtrl) && !shift.Contains(ssAlt);
        if (noShift && CanFocus() &&
            ((key == VK_RETURN && FActiveDefault) || (key == VK_ESCAPE && FCancel))) {
            Click();
            message.Result = 1;
            return;
        }
        break;
    }
    case CM_DIALOGCHAR:
        if (IsAccel(char32_t(message.WParam), Caption()) && Enabled() && Visible()) {
            SetDown(!FDown);
            Click();
            Invalidate();
            message.Result = 1;
        }
        return;
    case CM_FOCUSCHANGED: {
        auto* focused = reinterpret_cast<TWinControl*>(message.LParam);
        bool was = FActiveDefault;
        if (dynamic_cast<TFxCustomBitBtn*>(focused))
            FActiveDefault = focused == this;
        else
            FActiveDefault = FDefault;
        if (was != FActiveDefault)
            Invalidate();
        break;
    }
    case CM_MOUSEENTER:
        FMouseInControl = true;
        Invalidate();
        if (OnMouseEnter())
            OnMouseEnter()(this);
        return;
    case CM_MOUSELEAVE:
        FMouseInControl = false;
        Invalidate();
        if (OnMouseLeave())
            OnMouseLeave()(this);
        return;
    case CM_ENABLEDCHANGED:
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
        Invalidate();
        break;
    default:
        break;
    }
    TOwnerDrawButton::HandleMessage(message);
}
