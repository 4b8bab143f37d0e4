#pragma once
// The button group: a transparent panel that owns a collection of items, each with one
// button of a configurable button class (shape buttons by default). The group lays its
// buttons out in a grid, keeps them mutually exclusive, shows the selected caption in
// bold, fires change events around a selection change and moves the selection with the
// arrow keys. The outlook bar builds on it.

#include "controls/fxButton.h"
#include "controls/fxChangeLink.h"
#include "controls/fxClearPanel.h"
#include "controls/fxCollection.h"
#include "controls/fxOutlookList.h"

#include <memory>
#include <string>

class TFxCustomButtonGroup;
class TFxButtonGroupItem;

// Group, previously selected item, newly selected item.
using TFxButtonGroupChangeEvent =
    TEvent<void(TFxCustomButtonGroup*, TFxButtonGroupItem*, TFxButtonGroupItem*)>;

// Click styles of a group.
constexpr uint8_t kGroupClickIndependent = 0; // each new button its own group, may be released
constexpr uint8_t kGroupClickExclusive = 1;   // one button down at a time

class TFxButtonGroupItem : public TFxCollectionItem {
    ORV_CLASS(TFxButtonGroupItem, TFxCollectionItem)
public:
    explicit TFxButtonGroupItem(TCollection* collection);
    ~TFxButtonGroupItem() override;

    std::string DisplayName() const override;
    // The item moves; unless the group is loading, its button takes the same place among
    // the group's children.
    void MoveToIndex(int value) override;
    TControl* ItemControl() const override;

    TFxCustomBitBtn* Button() const { return FButton; }
    TFxCustomButtonGroup* ButtonGroup() const;
    int GroupIndex() const;
    void SetGroupIndex(int value);
    // The button's down state at its last selection change.
    bool Selected() const;
    // Sets the button's Down, then the group's items are arranged.
    void SetSelected(bool value);
    // After the group was loaded: renames of the button reach an attached editor.
    virtual void ItemLoaded();

private:
    friend class TFxCustomButtonGroup;
    friend class TFxButtonGroupItems;
    TFxCustomBitBtn* FButton = nullptr;
};

class TFxButtonGroupItems : public TFxCollection {
    ORV_CLASS(TFxButtonGroupItems, TFxCollection)
public:
    TFxButtonGroupItems(TFxCustomButtonGroup* group, TClass itemClass);
    // A new item; its button takes the properties of the first item's button.
    virtual TFxButtonGroupItem* Add();
    TFxButtonGroupItem* Items(int index) const {
        return static_cast<TFxButtonGroupItem*>(TCollection::Items(index));
    }
    TFxCustomButtonGroup* ButtonGroup() const { return FGroup; }
    // The grid layout of the buttons (the outlook bar replaces it with its pages).
    virtual void ArrangeButtons();
    TFxButtonGroupItem* FindByButton(const TControl* button) const;
    // The first item whose identifying value (its ID) equals value.
    TFxButtonGroupItem* FindItem(int value) const;
    // Frees every item, the last first.
    void ClearItems();
    // Visible buttons (every button at design time) and the n-th visible item.
    int VisibleCount() const;
    TFxButtonGroupItem* VisibleItem(int n) const;

    bool Arranging() const { return FArranging; }
    void SetArranging(bool value) { FArranging = value; }
    bool Adding() const { return FAdding; }
    bool Removing() const { return FRemoving; }

protected:
    void Update(TCollectionItem* item) override;

private:
    friend class TFxButtonGroupItem;
    TFxCustomButtonGroup* FGroup;
    bool FArranging = false;
    bool FAdding = false;
    bool FRemoving = false;
};

class TFxCustomButtonGroup : public TFxCustomTransparentPanel {
    ORV_CLASS(TFxCustomButtonGroup, TFxCustomTransparentPanel)
public:
    explicit TFxCustomButtonGroup(TComponent* owner);
    ~TFxCustomButtonGroup() override;

    bool AutoBold() const { return FAutoBold; }
    void SetAutoBold(bool value);
    uint8_t ClickStyle() const { return FClickStyle; }
    void SetClickStyle(uint8_t value) { FClickStyle = value; }
    int Spacing() const { return FSpacing; }
    void SetSpacing(int value);
    int Columns() const { return FColumns; }
    void SetColumns(int value);
    TFxLayout Layout() const { return FLayout; }
    virtual void SetLayout(TFxLayout value);
    int GroupMetric() const { return FGroupMetric; }
    virtual void SetGroupMetric(int value);
    TClass ButtonClass() const { return FButtonClass; }
    virtual void SetButtonClass(TClass value);
    std::string ButtonClassName() const;
    // Looks the class up in the class registry; an unregistered name raises the
    // framework's class-not-found error and the class stays.
    void SetButtonClassName(const std::string& value);
    TFxButtonGroupItems* Items() const { return FItems.get(); }
    void SetItems(const TFxButtonGroupItems* value) { FItems->AssignFrom(value); }

    const TFxButtonGroupChangeEvent& OnChange() const { return FOnChange; }
    void SetOnChange(TFxButtonGroupChangeEvent value) { FOnChange = std::move(value); }
    const TFxButtonGroupChangeEvent& OnChanging() const { return FOnChanging; }
    void SetOnChanging(TFxButtonGroupChangeEvent value) { FOnChanging = std::move(value); }

    // The first item whose button is selected, or nullptr.
    virtual TFxButtonGroupItem* SelectedItem() const;
    TFxButtonGroupItem* PreviousSelected() const { return FPrevSelected; }
    // With items and a button (nullptr: the first item's), the size the group needs for
    // its buttons; with resize the group takes it.
    virtual void AutoSizeToButtons(TControl* button, bool resize, TSize& size);
    virtual void LeaveOtherButtons(TControl* button);
    virtual void UpdateBoldCaption(bool flag);
    virtual bool HasDesignButtons() const;
    bool Removing() const { return FRemoving; }
    // Set while items free their buttons and panels, so the control-list handling leaves
    // the items alone.
    void SetRemoving(bool value) { FRemoving = value; }
    TFxChangeLink* ChangeLink() const { return FChangeLink.get(); }

    void AfterLoad() override;
    void Rename(const std::string& newName) override;
    // The buttons are written in item order.
    void WriteToResource(TWriter& writer) override;
    void HandleMessage(TMessage& message) override;
    bool IsTransparent() const override;

protected:
    virtual std::unique_ptr<TFxButtonGroupItems> ItemsClass();
    // Builds the items; descendants call it from their constructor.
    void CreateItems();
    void ArrangeChildren(TControl* control, TRect& rect) override;
    void PaintControl() override;
    void HandleResize() override;
    void HandleKeyDown(uint16_t& key, TShiftState shift) override;
    virtual void HandleButtonClick(TObject* button);
    virtual void HandleButtonDown(TObject* button);
    virtual void CallOnChanging(TFxButtonGroupItem* oldItem, TFxButtonGroupItem* newItem);
    virtual void CallOnChange(TFxButtonGroupItem* oldItem, TFxButtonGroupItem* newItem);
    void NavigateByKey(uint16_t key);
    void HandleControlListChange(TControl* control, bool inserting);

    bool FRemoving = false;

private:
    friend class TFxButtonGroupItem;
    friend class TFxButtonGroupItems;
    bool FAutoBold = true;
    uint8_t FClickStyle = kGroupClickExclusive;
    int FSpacing = 1;
    int FColumns = 1;
    TFxLayout FLayout = loVertical;
    int FGroupMetric = 0;
    TFxButtonGroupItem* FPrevSelected = nullptr;
    TFxButtonGroupChangeEvent FOnChange, FOnChanging;
    TClass FButtonClass = nullptr;
    std::unique_ptr<TFxChangeLink> FChangeLink;
    std::unique_ptr<TFxButtonGroupItems> FItems;
};

class TFxButtonGroup : public TFxCustomButtonGroup {
    ORV_CLASS(TFxButtonGroup, TFxCustomButtonGroup)
public:
    explicit TFxButtonGroup(TComponent* owner);
    static void Publish(TPublisher<TFxButtonGroup>& p);
};
