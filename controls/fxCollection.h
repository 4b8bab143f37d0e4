#pragma once
// Collection and collection-item bases of the fx lists (button groups, status panels):
// items carry a change event, and a collection may hold a notification target that is
// asked to refresh when an item's name changes.

#include "framework/core/Classes.h"

#include <memory>

class TControl;
class TFxCollectionItem;

// What a collection tells when one of its items was renamed; owned by the collection.
class TFxCollectionNotify : public TObject {
    ORV_CLASS(TFxCollectionNotify, TObject)
public:
    virtual void Refresh() = 0;
};

using TFxItemEvent = TEvent<void(TFxCollectionItem*)>;

class TFxCollectionItem : public TCollectionItem {
    ORV_CLASS(TFxCollectionItem, TCollectionItem)
public:
    explicit TFxCollectionItem(TCollection* collection);

    const TFxItemEvent& OnItemChange() const { return FOnItemChange; }
    void SetOnItemChange(TFxItemEvent value) { FOnItemChange = std::move(value); }

    // A hook for descendants (two arguments); does nothing here.
    virtual void ItemHook(int a, int b);
    // Calls the change event with the item when assigned.
    virtual void FireItemChange();
    // The control that stands for the item; none here.
    virtual TControl* ItemControl() const;
    // The item changed; nothing here.
    virtual void ItemChanged();

private:
    TFxItemEvent FOnItemChange;
};

class TFxCollection : public TCollection {
    ORV_CLASS(TFxCollection, TCollection)
public:
    using TCollection::TCollection;
    ~TFxCollection() override;

    // Takes the notification target (the previous one is freed).
    virtual void SetNotifyTarget(std::unique_ptr<TFxCollectionNotify> target);
    // Adds an item and answers it as an fx item (nullptr when the item class is not one).
    virtual TFxCollectionItem* AddItem();
    TFxCollectionItem* ItemAt(int index) const;
    TFxCollectionNotify* NotifyTarget() const { return FNotifyTarget.get(); }

private:
    std::unique_ptr<TFxCollectionNotify> FNotifyTarget;
};

// The rename event of grouped buttons and status panels: asks the notification target of
// the item's collection to refresh; nothing without a target or collection.
void NotifyItemNameChange(TObject* item);
