#pragma once
// The rich-text editor: a multi-line editor of plain text (no character formatting) that
// answers where its characters lie: the line that holds a character and the first
// character of a line, counted as the selection is (a line break is one character).
// Lines are the text's lines as Lines holds them; a line the window wraps stays one line.

#include "framework/gui/StandardControls.h"

class TCustomRichEdit : public TCustomMemo {
    ORV_CLASS(TCustomRichEdit, TCustomMemo)
public:
    explicit TCustomRichEdit(TComponent* owner);

    // The 0-based line that holds the character index (-1: the selection start); an index
    // past the end gives the last line.
    int LineFromChar(int index) const;
    // The index of the first character of the line (-1: the line of the selection start);
    // -1 for a line that does not exist.
    int LineIndex(int line) const;
    // The number of lines (an empty text has one).
    int LineCount() const;
};

class TRichEdit : public TCustomRichEdit {
    ORV_CLASS(TRichEdit, TCustomRichEdit)
public:
    explicit TRichEdit(TComponent* owner) : TCustomRichEdit(owner) {}
};
