#pragma once
// The spin edit: a single-line edit holding a number as text, with a spin button at its
// right edge that steps the value up or down, repeating while held (after 400 ms, then
// every 100 ms). The button is the diagonal TExSpinButton (one square split by its rising
// diagonal: the upper-left half steps up, the lower-right half down) or the standard
// up-down control TExUpDown.

#include "framework/gui/Bitmaps.h"
#include "framework/gui/CommonControls.h"
#include "framework/gui/Controls.h"
#include "framework/gui/ExtraControls.h"
#include "framework/gui/StandardControls.h"

#include <memory>
#include <string>

enum TSpinButtonState { sbNotDown, sbTopDown, sbBottomDown };
enum TSpinButtonKind { bkStandard, bkDiagonal };

// The width of a standard spin button: the vertical scroll bar's, at most 15.
int DefaultSpinButtonWidth();

class TExSpinButton : public TGraphicControl {
    ORV_CLASS(TExSpinButton, TGraphicControl)
public:
    explicit TExSpinButton(TComponent* owner);
    ~TExSpinButton() override;
    static void Publish(TPublisher<TExSpinButton>& p);

    // Glyphs drawn in the halves; assigning nothing loads the standard arrow again.
    TBitmap* UpGlyph() const { return FUpGlyph.get(); }
    void SetUpGlyph(const TBitmap* value);
    TBitmap* DownGlyph() const { return FDownGlyph.get(); }
    void SetDownGlyph(const TBitmap* value);
    // The control that takes the focus when the button is pressed.
    TWinControl* FocusControl() const { return FFocusControl; }
    void SetFocusControl(TWinControl* value);
    const TNotifyEvent& OnTopClick() const { return FOnTopClick; }
    void SetOnTopClick(TNotifyEvent value) { FOnTopClick = std::move(value); }
    const TNotifyEvent& OnBottomClick() const { return FOnBottomClick; }
    void SetOnBottomClick(TNotifyEvent value) { FOnBottomClick = std::move(value); }

    // The half shown pressed.
    TSpinButtonState Down() const { return FDown; }
    void SetDown(TSpinButtonState value);
    // The half under a point of the button.
    TSpinButtonState HalfAt(int x, int y) const;
    // The repeat timer (nullptr until the first press).
    TTimer* RepeatTimer() const { return FRepeatTimer; }

    void ComponentNotification(TComponent* component, TOperation operation) override;
    void HandleMessage(TMessage& message) override;

protected:
    void PaintControl() override;
    void HandleMouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void HandleMouseMove(TShiftState shift, int x, int y) override;
    void HandleMouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    virtual void TopClick();
    virtual void BottomClick();

private:
    void TimerExpired(TObject* sender);
    void DrawAllBitmaps();
    void DrawFace(TBitmap* face, TSpinButtonState state);
    void GlyphChanged(TObject* sender);
    // The left button is held on this button: the last mouse message said so and the
    // button still has the capture.
    bool LeftButtonHeld() const;

    TSpinButtonState FDown = sbNotDown;
    TSpinButtonState FLastDown = sbNotDown;
    bool FDragging = false;
    bool FInvalidate = true;
    bool FLeftDown = false;
    std::unique_ptr<TBitmap> FUpGlyph;
    std::unique_ptr<TBitmap> FDownGlyph;
    std::unique_ptr<TBitmap> FTopDownBitmap;
    std::unique_ptr<TBitmap> FBottomDownBitmap;
    std::unique_ptr<TBitmap> FNotDownBitmap;
    TTimer* FRepeatTimer = nullptr;
    TWinControl* FFocusControl = nullptr;
    TNotifyEvent FOnTopClick;
    TNotifyEvent FOnBottomClick;
};

// The standard up-down control of the spin edit: it never reaches its limits, each step
// is a click of "next" or "previous".
class TExUpDown : public TCustomUpDown {
    ORV_CLASS(TExUpDown, TCustomUpDown)
public:
    explicit TExUpDown(TComponent* owner);
    void HandleMessage(TMessage& message) override;

protected:
    void HandleResize() override;

private:
    bool FChanging = false;
};

class TExSpinEdit : public TCustomEdit {
    ORV_CLASS(TExSpinEdit, TCustomEdit)
public:
    explicit TExSpinEdit(TComponent* owner);
    ~TExSpinEdit() override;
    static void Publish(TPublisher<TExSpinEdit>& p);

    // What the text holds. A type of the spin edit's own: the component stream's value tags
    // (framework/core/Streams.h) have a TValueType too. Callers write
    // TExSpinEdit::vtFloat.
    enum TValueType { vtInteger, vtFloat };

    // ---- Properties
    bool ArrowKeys() const { return FArrowKeys; }
    void SetArrowKeys(bool value);
    TSpinButtonKind ButtonKind() const { return FButtonKind; }
    void SetButtonKind(TSpinButtonKind value);
    int Decimal() const { return FDecimal; }
    void SetDecimal(int value);
    bool EditorEnabled() const { return FEditorEnabled; }
    void SetEditorEnabled(bool value) { FEditorEnabled = value; }
    double Increment() const { return FIncrement; }
    void SetIncrement(double value) { FIncrement = value; }
    double MaxValue() const { return FMaxValue; }
    void SetMaxValue(double value);
    double MinValue() const { return FMinValue; }
    void SetMinValue(double value);
    TValueType ValueType() const { return FValueType; }
    void SetValueType(TValueType value);
    // The number in the text; a text that is not a number reads as MinValue (rounded for
    // vtInteger).
    double Value() const;
    // Clamps, then writes the text: vtFloat with Decimal decimals and the locale's
    // separator, vtInteger as a rounded whole number.
    void SetValue(double value);
    // MinValue = MaxValue: no limits.
    double CheckValue(double value) const;
    // The text reads as a number (an emptied or unreadable text does not).
    bool HasValue() const;
    // Writes the value as SetValue does, without a change notification: an owner showing
    // its model's value again after refusing what was typed.
    void ShowValue(double value);
    const TNotifyEvent& OnTopClick() const { return FOnTopClick; }
    void SetOnTopClick(TNotifyEvent value) { FOnTopClick = std::move(value); }
    const TNotifyEvent& OnBottomClick() const { return FOnBottomClick; }
    void SetOnBottomClick(TNotifyEvent value) { FOnBottomClick = std::move(value); }

    // ---- Operations
    virtual bool AcceptsChar(char32_t key) const;
    virtual void StepUp();
    virtual void StepDown();
    TSpinButtonKind ActiveButtonKind() const { return FButtonKind; }
    int ButtonWidth() const;
    // Lowest height that shows the text: text height + 4 borders + 1.
    int MinHeight() const;
    TExSpinButton* Button() const { return FButton; }
    TExUpDown* UpDown() const { return FUpDown; }

    void HandleMessage(TMessage& message) override;
    using TCustomEdit::SetEditRect;

protected:
    void PrepareWindowParams(TCreateParams& params) override;
    void AfterWindowCreated() override;
    void HandleKeyDown(uint16_t& key, TShiftState shift) override;
    void HandleKeyPress(char32_t& key) override;
    // While a step rewrites the text its change notification is held back: the step
    // reports the change once itself.
    void Change() override;
    void HandleEnter() override;
    void HandleExit() override;
    void HandleResize() override;
    void HandleCut(TMessage& message) override;
    void HandlePaste(TMessage& message) override;

private:
    void Step(double delta, const TNotifyEvent& event);
    void RecreateButton();
    void ResizeButton();
    void SetEditRect();
    void UpdateUpDownBuddy();
    void HandleLayoutChange();
    void HandleEnabledChange();
    void UpDownClick(TObject* sender, TUDBtnType button);
    std::string FormatValue(double value) const;
    // The last text that read as a number: leaving an unreadable text shows it again.
    std::string FLastNumber;

    bool FArrowKeys = true;
    TSpinButtonKind FButtonKind = bkDiagonal;
    int FDecimal = 2;
    bool FEditorEnabled = true;
    double FIncrement = 1.0;
    double FMaxValue = 0;
    double FMinValue = 0;
    TValueType FValueType = vtInteger;
    bool FChanging = false;
    TExSpinButton* FButton = nullptr;
    TWinControl* FBtnWindow = nullptr;
    TExUpDown* FUpDown = nullptr;
    TNotifyEvent FOnTopClick;
    TNotifyEvent FOnBottomClick;
};
