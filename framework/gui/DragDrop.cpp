// Drag and drop inside the program: the one drag that can run at a time, the search for
// the control under the mouse, and the drag events of TControl.

#include "framework/gui/Controls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/ImageList.h"
#include "framework/gui/WindowBridge.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QStyleHints>
#include <QWidget>

#include <cstdlib>

namespace {

struct TDragRun {
    TControl* Source = nullptr;
    bool Begun = false;
    TPoint Start;      // screen point of the press
    int Threshold = 0; // pixels the mouse must move before the drag begins
    TControl* Target = nullptr;
    bool Accepted = false;
    TPoint Position; // screen point of the last move
    TCursor Cursor = crDefault;
    bool OverrideCursor = false;
    TDragImageList* Images = nullptr; // the source's drag image, from the drag's begin
};

TDragRun gDrag;

void ShowDragCursor(TCursor cursor) {
    gDrag.Cursor = cursor;
    if (!Screen)
        return;
    const QCursor shape = Screen->CursorShape(cursor);
    if (gDrag.OverrideCursor) {
        QGuiApplication::changeOverrideCursor(shape);
    } else {
        QGuiApplication::setOverrideCursor(shape);
        gDrag.OverrideCursor = true;
    }
}

// Forgets the drag; the handlers that follow may start a new one.
TDragRun Finish() {
    TDragRun run = gDrag;
    if (gDrag.Images)
        gDrag.Images->EndDrag();
    if (gDrag.OverrideCursor)
        QGuiApplication::restoreOverrideCursor();
    gDrag = TDragRun();
    if (run.Source && run.Source->MouseCapture())
        run.Source->SetMouseCapture(false);
    return run;
}

// The top-level window of ours under the screen point: the active one first.
QWidget* WindowAt(const QPoint& global) {
    QWidget* active = QApplication::activeWindow();
    auto holds = [&](QWidget* w) {
        return w && w->isVisible() && w->windowType() != Qt::ToolTip &&
               !w->testAttribute(Qt::WA_TransparentForMouseEvents) &&
               w->frameGeometry().contains(global) && TWindowBridge::ControlOfWidget(w);
    };
    if (holds(active))
        return active;
    const QWidgetList tops = QApplication::topLevelWidgets();
    for (auto it = tops.rbegin(); it != tops.rend(); ++it)
        if (holds(*it))
            return *it;
    return nullptr;
}

void AskTarget(TDragState state) {
    TControl* target = gDrag.Target;
    if (!target)
        return;
    const TPoint p = target->ScreenToClient(gDrag.Position);
    bool accept = false;
    target->DragOver(gDrag.Source, p.X, p.Y, state, accept);
    if (state != dsDragLeave)
        gDrag.Accepted = accept;
}

void MoveTo(const TPoint& screen) {
    gDrag.Position = screen;
    TControl* target = FindDragTarget(screen);
    if (target != gDrag.Target) {
        AskTarget(dsDragLeave);
        gDrag.Target = target;
        gDrag.Accepted = false;
        AskTarget(dsDragEnter);
    } else {
        AskTarget(dsDragMove);
    }
    if (!gDrag.Source)
        return; // a handler ended the drag
    ShowDragCursor(gDrag.Target && gDrag.Accepted ? gDrag.Source->DragCursor() : crNoDrop);
    if (TDragImageList* images = gDrag.Images) {
        // The picture follows the cursor over the controls that display drag images.
        images->DragMove(screen);
        if (gDrag.Target && gDrag.Target->ControlStyle().Contains(csDisplayDragImage))
            images->ShowDragImage();
        else
            images->HideDragImage();
    }
}

void Begin() {
    gDrag.Begun = true;
    // The press became a drag: its release is no click.
    TControlState state = gDrag.Source->ControlState();
    state.Exclude(csClicked);
    gDrag.Source->SetControlState(state);
    gDrag.Source->DoStartDrag();
    if (!gDrag.Source)
        return;
    gDrag.Images = gDrag.Source->GetDragImages();
    if (gDrag.Images)
        gDrag.Images->BeginDrag(gDrag.Position);
    MoveTo(gDrag.Position);
}

void Drop() {
    TDragRun run = Finish();
    TControl* target = run.Target && run.Accepted ? run.Target : nullptr;
    TPoint p;
    if (target) {
        p = target->ScreenToClient(run.Position);
        target->DragDrop(run.Source, p.X, p.Y);
    }
    run.Source->DoEndDrag(target, p.X, p.Y);
}

void Cancel() {
    if (gDrag.Begun)
        AskTarget(dsDragLeave);
    TDragRun run = Finish();
    if (run.Begun)
        run.Source->DoEndDrag(nullptr, 0, 0);
}

} // namespace

TControl* FindDragTarget(const TPoint& screenPoint, bool allowDisabled) {
    const QPoint global(screenPoint.X, screenPoint.Y);
    QWidget* top = WindowAt(global);
    if (!top)
        return nullptr;
    QWidget* w = top->childAt(top->mapFromGlobal(global));
    if (!w)
        w = top;
    TWinControl* control = nullptr;
    for (; w && !control; w = w->parentWidget())
        control = TWindowBridge::ControlOfWidget(w);
    if (!control)
        return nullptr;
    if (!allowDisabled && !control->Enabled())
        return nullptr;
    const TPoint local = control->ScreenToClient(screenPoint);
    if (TControl* child = control->ControlAtPos(local, allowDisabled))
        return child;
    return control;
}

TControl* DragSource() {
    return gDrag.Source;
}

TCursor DragCursorShown() {
    return gDrag.Begun ? gDrag.Cursor : crDefault;
}

TDragImageList* DragImagesShown() {
    return gDrag.Images && gDrag.Images->DragImageVisible() ? gDrag.Images : nullptr;
}

namespace WindowSystemDetail {

bool DragMouseEventAt(bool release, int button, const TPoint& p);

bool DragMouseEvent(QEvent* event) {
    if (!gDrag.Source)
        return false;
    const bool release = event->type() == QEvent::MouseButtonRelease;
    if (!release && event->type() != QEvent::MouseMove)
        return false;
    auto* me = static_cast<QMouseEvent*>(event);
    const int button = !release                          ? 0
                       : me->button() == Qt::LeftButton  ? 1
                       : me->button() == Qt::RightButton ? 2
                                                         : 3;
    const QPoint global = me->globalPosition().toPoint();
    const TPoint p(global.x(), global.y());
    bool used = true;
    try {
        used = DragMouseEventAt(release, button, p);
    } catch (...) {
        // A drag handler failed: the drag is over, the error goes to the application.
        if (gDrag.Source)
            Finish();
        HandleEventException();
    }
    if (used)
        event->accept();
    return used;
}

bool DragMouseEventAt(bool release, int button, const TPoint& p) {
    if (!gDrag.Begun) {
        if (release) {
            Finish(); // a click, not a drag
            return false;
        }
        if (button != 0)
            return false;
        // The drag holds the mouse while it waits: the control sees no moves.
        if (std::abs(p.X - gDrag.Start.X) <= gDrag.Threshold &&
            std::abs(p.Y - gDrag.Start.Y) <= gDrag.Threshold)
            return true;
        gDrag.Position = p;
        Begin();
        return true;
    }
    if (!release) {
        if (button == 0)
            MoveTo(p);
        return true;
    }
    gDrag.Position = p;
    if (button == 1)
        Drop();
    else
        Cancel();
    return true;
}

bool DragKey(int virtualKey) {
    if (!gDrag.Source || !gDrag.Begun || virtualKey != VK_ESCAPE)
        return false;
    try {
        Cancel();
    } catch (...) {
        HandleEventException();
    }
    return true;
}

void ForgetDragControl(const void* control) {
    if (!gDrag.Source)
        return;
    if (gDrag.Source == control) {
        gDrag.Source = nullptr; // its end event cannot be fired any more
        Finish();
    } else if (gDrag.Target == control) {
        gDrag.Target = nullptr;
        gDrag.Accepted = false;
    }
}

void ForgetDragImages(const void* images) {
    if (gDrag.Images == images)
        gDrag.Images = nullptr;
}

} // namespace WindowSystemDetail

// ---------------------------------------------------------------------------
// TControl

void TControl::BeginDrag(bool immediate, int threshold) {
    if (gDrag.Source)
        return;
    gDrag = TDragRun();
    gDrag.Source = this;
    GetCursorPos(gDrag.Start);
    gDrag.Position = gDrag.Start;
    gDrag.Threshold =
        threshold >= 0 ? threshold : QGuiApplication::styleHints()->startDragDistance();
    SetMouseCapture(true);
    if (immediate)
        Begin();
}

void TControl::EndDrag(bool drop) {
    if (gDrag.Source != this)
        return;
    if (drop && gDrag.Begun)
        Drop();
    else
        Cancel();
}

bool TControl::Dragging() const {
    return gDrag.Source == this && gDrag.Begun;
}

void TControl::DragOver(TObject* source, int x, int y, TDragState state, bool& accept) {
    accept = false;
    if (FOnDragOver) {
        accept = true;
        FOnDragOver(this, source, x, y, state, accept);
    }
}

void TControl::DragDrop(TObject* source, int x, int y) {
    if (FOnDragDrop)
        FOnDragDrop(this, source, x, y);
}

void TControl::DoEndDrag(TObject* target, int x, int y) {
    if (FOnEndDrag)
        FOnEndDrag(this, target, x, y);
}

void TControl::DoStartDrag() {
    if (FOnStartDrag)
        FOnStartDrag(this);
}
