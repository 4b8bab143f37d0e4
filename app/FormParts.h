#pragma once
// Pieces the editors share: a scrolling content pane, numbers shown in boxes of fixed width,
// the range checks of model quantities and reading a spin edit's number. (The tool-strip
// pieces, which Pelmora uses too, are in app/ViewHelpers.)

#include "app/ViewHelpers.h"
#include "framework/core/Classes.h"
#include "framework/gui/Actions.h"
#include "framework/gui/CommonControls.h"
#include "framework/gui/ExtraControls.h"
#include "framework/gui/Forms.h"
#include "persist/ExSpin.h"

#include <limits>
#include <string>

// The editors' content pane: a scroll box filling the form, so that a docked
// editor narrower or shorter than its boxes shows scroll bars instead of cutting them off.
TScrollBox* MakeScrollPane(TCustomForm* form);

// Shows a formatted number in a box of fixed width (a label or a static text). The text as
// formatted when it fits; else the value in scientific notation with as many digits as
// fit (an ellipsis when not even one does): never the text with its leading digits cut
// off. While the box shows less than the text, its hint shows the whole text.
void ShowNumber(TControl* box, const std::string& text, double value);

// Model quantities that cannot be negative (powers, capacities, counts, speeds, factors)
// or that the year's balance could not use beyond the model's limits (model/Data.h) are
// checked before they are stored; a refused number raises this with a text naming the
// allowed range, and the model keeps its value.
class EValueRange : public Exception {
public:
    using Exception::Exception;
};

inline constexpr double kNoUpperLimit = std::numeric_limits<double>::infinity();

// Raises EValueRange, with the model's text of the allowed values (ValueRangeText), when
// value lies outside minValue..maxValue or, with smallestNonZero above 0, is neither 0 nor
// at least smallestNonZero.
void CheckRange(double value, double minValue = 0, double maxValue = kNoUpperLimit,
                double smallestNonZero = 0);

// The number of a text typed into a range-checked box or cell. A number outside the range,
// also one that no double holds ("1e400", "inf", "nan"), raises EValueRange with the
// allowed values; a text that is no number at all raises EConvertError naming the text and
// the allowed values.
double TypedReal(const std::string& text, double minValue = 0, double maxValue = kNoUpperLimit,
                 double smallestNonZero = 0);
// The number of the text without the range check, refused as TypedReal refuses a text that
// is no number or a number no double holds: for callers with range checks of their own.
double TypedNumber(const std::string& text, double minValue, double maxValue,
                   double smallestNonZero = 0);
// The same for a whole number: a text that is no whole number raises EConvertError naming
// the text and the allowed values, a whole number outside them EValueRange.
int TypedInteger(const std::string& text, int minValue, int maxValue);
// An input box for a real (InputReal) whose answer is read by TypedReal: false, with value
// unchanged, on Cancel; a refused answer raises and leaves value unchanged.
bool InputRealInRange(const std::string& prompt, double& value, double minValue, double maxValue,
                      double smallestNonZero = 0);

// Reads a spin edit's number for the model. False, with nothing read, while its text is
// no number (emptied, or a sign alone). A number outside the range, also one that no
// double holds (a pasted "1e400"), is refused: the box shows shownValue (the model's value
// as the box shows it) again, unannounced, and EValueRange is raised.
bool ReadSpin(TExSpinEdit* edit, double shownValue, double& value, double minValue = 0,
              double maxValue = kNoUpperLimit);
