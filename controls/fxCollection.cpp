#include "controls/fxCollection.h"

TFxCollectionItem::TFxCollectionItem(TCollection* collection) : TCollectionItem(collection) {}

void TFxCollectionItem::ItemHook(int /*a*/, int /*b*/) {}

void TFxCollectionItem::FireItemChange() {
    if (FOnItemChange)
        FOnItemChange(this);
}

TControl* TFxCollectionItem::ItemControl() const {
    return nullptr;
}

void TFxCollectionItem::ItemChanged() {}

TFxCollection::~TFxCollection() = default;

void TFxCollection::SetNotifyTarget(std::unique_ptr<TFxCollectionNotify> target) {
    FNotifyTarget = std::move(target);
}

TFxCollectionItem* TFxCollection::AddItem() {
    return dynamic_cast<TFxCollectionItem*>(Add());
}

TFxCollectionItem* TFxCollection::ItemAt(int index) const {
    return dynamic_cast<TFxCollectionItem*>(Items(index));
}

void NotifyItemNameChange(TObject* item) {
    auto* it = dynamic_cast<TCollectionItem*>(item);
    if (!it)
        return;
    if (auto* coll = dynamic_cast<TFxCollection*>(it->Collection()))
        if (TFxCollectionNotify* target = coll->NotifyTarget())
            target->Refresh();
}
