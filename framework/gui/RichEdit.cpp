#include "framework/gui/RichEdit.h"

#include <QPlainTextEdit>
#include <QString>
#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>
#include <vector>

namespace {
QPlainTextEdit* EditorOf(const TWinControl* c) {
    return qobject_cast<QPlainTextEdit*>(c->WidgetIfAllocated());
}

// The first character index of every line of the text held in lines, counted in the
// editor's characters (UTF-16 units, a line break as one).
std::vector<int> LineStarts(const TStrings& lines) {
    std::vector<int> starts{0};
    int pos = 0;
    for (int i = 0; i + 1 < lines.Count(); ++i) {
        pos += int(QString::fromStdString(lines.Get(i)).size()) + 1;
        starts.push_back(pos);
    }
    return starts;
}
} // namespace

TCustomRichEdit::TCustomRichEdit(TComponent* owner) : TCustomMemo(owner) {}

int TCustomRichEdit::LineFromChar(int index) const {
    if (index < 0)
        index = SelStart();
    if (QPlainTextEdit* e = EditorOf(this)) {
        QTextDocument* doc = e->document();
        QTextBlock block = doc->findBlock(std::min(index, doc->characterCount() - 1));
        return block.isValid() ? block.blockNumber() : std::max(0, doc->blockCount() - 1);
    }
    std::vector<int> starts = LineStarts(*Lines());
    auto it = std::upper_bound(starts.begin(), starts.end(), index);
    return int(it - starts.begin()) - 1;
}

int TCustomRichEdit::LineIndex(int line) const {
    if (line < 0)
        line = LineFromChar(-1);
    if (QPlainTextEdit* e = EditorOf(this)) {
        QTextBlock block = e->document()->findBlockByNumber(line);
        return block.isValid() ? block.position() : -1;
    }
    std::vector<int> starts = LineStarts(*Lines());
    return line < int(starts.size()) ? starts[size_t(line)] : -1;
}

int TCustomRichEdit::LineCount() const {
    if (QPlainTextEdit* e = EditorOf(this))
        return e->document()->blockCount();
    return std::max(1, Lines()->Count());
}

namespace {
const bool kRegistered = [] {
    RegisterClasses({TRichEdit::StaticClass()});
    return true;
}();
} // namespace
