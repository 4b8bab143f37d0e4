#pragma once
// The sunshine chart: one line per month over the hours 1 to 24 of the day, the sunshine
// factors in per cent.

#include "app/GraphBaseSt.h"

class TfmPhDataGr : public TfmGraphBaseSt {
    ORV_CLASS(TfmPhDataGr, TfmGraphBaseSt)
public:
    explicit TfmPhDataGr(TComponent* owner);

    // Twelve fast lines, one per month, from the factors of PhFactors.
    void FormCreate(TObject* sender);
};
