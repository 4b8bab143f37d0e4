#pragma once
// A walk over the labels and boxes a window shows: each must lie inside its parent's
// client area (seen without scrolling) and show its text whole. Grids, lists, edits and
// charts are boxes too, but what they hold scrolls inside them and is not walked.

#include "framework/gui/Bitmaps.h"
#include "framework/gui/ExtraControls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/StandardControls.h"
#include "framework/gui/TestKit.h"
#include "persist/ExSpin.h"

#include <string>
#include <vector>

inline int WalkTextWidth(const TControl* control, const std::string& text) {
    TBitmap measure(1, 1);
    measure.Canvas()->Font()->AssignFrom(control->Font());
    return measure.Canvas()->TextWidth(text);
}

// The width the control needs for its text, 0 when it shows none of its own.
inline int WalkNeededWidth(TControl* control) {
    if (auto* label = dynamic_cast<TCustomLabel*>(control))
        return label->WordWrap() ? 0 : WalkTextWidth(label, label->Caption());
    if (auto* text = dynamic_cast<TStaticText*>(control)) {
        const int border = text->BorderStyle() == sbsNone ? 0 : 2;
        // A right-aligned text keeps one column free for a glyph reaching past its advance.
        return WalkTextWidth(text, text->Caption()) + border + 1;
    }
    if (int extent = TestKit::CaptionExtent(control))
        return extent;
    if (auto* group = dynamic_cast<TCustomGroupBox*>(control))
        return group->Caption().empty() ? 0 : WalkTextWidth(group, group->Caption()) + 16;
    if (auto* spin = dynamic_cast<TExSpinEdit*>(control))
        return WalkTextWidth(spin, spin->Text()) + 6 + spin->ButtonWidth();
    if (auto* edit = dynamic_cast<TCustomEdit*>(control))
        return WalkTextWidth(edit, edit->Text()) + 6;
    if (auto* button = dynamic_cast<TButton*>(control))
        return WalkTextWidth(button, button->Caption()) + 8;
    return 0;
}

// Appends a line per control that lies outside its parent's client area or whose text does
// not fit; walks into panels, scroll boxes, group boxes and docked forms.
inline void WalkShownControls(TWinControl* parent, std::vector<std::string>& faults) {
    const TRect client = parent->ClientRect();
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* c = parent->Controls(i);
        if (!c->Visible())
            continue;
        const std::string name = parent->Name() + "." + c->Name() + " (" + c->ClassName() + ")";
        // A column of command buttons may scroll (the workbench's); labels and boxes may not.
        const bool mayScroll =
            dynamic_cast<TButton*>(c) && dynamic_cast<TScrollingWinControl*>(parent);
        if (!mayScroll &&
            (c->Left() < 0 || c->Top() < 0 || c->Left() + c->Width() > client.Width() ||
             c->Top() + c->Height() > client.Height()))
            faults.push_back(
                name + " at " + std::to_string(c->Left()) + "," + std::to_string(c->Top()) + " " +
                std::to_string(c->Width()) + "x" + std::to_string(c->Height()) + " outside " +
                std::to_string(client.Width()) + "x" + std::to_string(client.Height()));
        const int needed = WalkNeededWidth(c);
        if (needed > c->Width())
            faults.push_back(name + " needs " + std::to_string(needed) + " for \"" +
                             TestKit::TextOf(c) + "\", has " + std::to_string(c->Width()));
        auto* w = dynamic_cast<TWinControl*>(c);
        if (w && (dynamic_cast<TCustomPanel*>(w) || dynamic_cast<TScrollingWinControl*>(w) ||
                  dynamic_cast<TCustomGroupBox*>(w) || dynamic_cast<TCustomForm*>(w)))
            WalkShownControls(w, faults);
    }
}

inline std::string WalkFaults(TWinControl* root) {
    std::vector<std::string> faults;
    WalkShownControls(root, faults);
    std::string text;
    for (const std::string& f : faults)
        text += f + "\n";
    return text;
}
