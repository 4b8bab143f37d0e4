#include "framework/gui/ScrollBarLayout.h"

#include "framework/gui/WindowBridge.h"

#include <QScrollBar>

#include <algorithm>

namespace ScrollBarLayout {

TBarsShown ChooseBars(const std::function<TBarsShown(TBarsShown shown)>& needs) {
    TBarsShown shown;
    // Three rounds settle it: each can only add a bar.
    for (int i = 0; i < 3; ++i) {
        const TBarsShown need = needs(shown);
        if (need == shown)
            break;
        shown.Vert = shown.Vert || need.Vert;
        shown.Horz = shown.Horz || need.Horz;
    }
    return shown;
}

void PlaceBars(QWidget* window, QScrollBar*& vert, QScrollBar*& horz, TBarsShown shown,
               const std::function<void(QScrollBar* bar, bool vertical)>& connect, int width,
               int height, int border, int barSize) {
    auto make = [&](bool vertical) {
        QScrollBar* bar = WindowSystemDetail::NewScrollBar(window, vertical);
        connect(bar, vertical);
        return bar;
    };
    if (shown.Vert && !vert)
        vert = make(true);
    if (shown.Horz && !horz)
        horz = make(false);
    if (vert) {
        vert->setVisible(shown.Vert);
        if (shown.Vert)
            vert->setGeometry(width - border - barSize, border, barSize,
                              std::max(0, height - 2 * border - (shown.Horz ? barSize : 0)));
    }
    if (horz) {
        horz->setVisible(shown.Horz);
        if (shown.Horz)
            horz->setGeometry(border, height - border - barSize,
                              std::max(0, width - 2 * border - (shown.Vert ? barSize : 0)),
                              barSize);
    }
}

void SetBarParams(QScrollBar* bar, int max, int page, int line, int value) {
    bar->setRange(0, max);
    bar->setPageStep(std::max(1, page));
    bar->setSingleStep(std::max(1, line));
    bar->setValue(std::clamp(value, 0, std::max(0, max)));
}

void ReleaseBars(QScrollBar*& vert, QScrollBar*& horz) {
    WindowSystemDetail::ReleaseScrollBar(vert);
    WindowSystemDetail::ReleaseScrollBar(horz);
}

} // namespace ScrollBarLayout
