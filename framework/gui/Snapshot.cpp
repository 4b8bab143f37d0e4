#include "framework/gui/Snapshot.h"

#include "framework/gui/Bitmaps.h"
#include "framework/gui/Canvas.h"
#include "framework/gui/Controls.h"
#include "framework/gui/Forms.h"

#include <QImage>
#include <QPainter>
#include <QString>
#include <QWidget>

namespace {

QImage ControlImage(TControl* control) {
    if (Application)
        Application->ProcessMessages();
    if (auto* w = dynamic_cast<TWinControl*>(control)) {
        QWidget* widget = w->Widget();
        QImage client = widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
        auto* form = dynamic_cast<TCustomForm*>(control);
        if (!form || form->Parent() || form->WindowFrame() == TRect())
            return client;
        // A top-level window: its frame and caption strip around the client area.
        QImage whole(form->Width(), form->Height(), QImage::Format_RGB32);
        whole.fill(Qt::white);
        {
            TCanvas canvas(&whole);
            form->PaintFrame(&canvas);
        }
        QPainter p(&whole);
        TRect f = form->WindowFrame();
        p.drawImage(f.Left, f.Top, client);
        return whole;
    }
    TWinControl* parent = control->Parent();
    if (!parent)
        return QImage();
    QImage all = parent->Widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    TRect nc = parent->NonClientBorder();
    return all.copy(control->Left() + nc.Left, control->Top() + nc.Top, control->Width(),
                    control->Height());
}

} // namespace

void SnapshotControl(TControl* control, TBitmap& bitmap) {
    bitmap.SetImage(ControlImage(control));
}

bool SaveSnapshotToPng(TControl* control, const std::string& fileName) {
    QImage img = ControlImage(control);
    return !img.isNull() && img.save(QString::fromStdString(fileName), "PNG");
}
