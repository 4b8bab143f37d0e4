#pragma once
// The observer through which fx bitmaps, imagers and buttons tell interested parties of
// changes. Links are owned by whoever made them; notifiers only keep them in a list and
// set Sender before each call.

#include "framework/core/Classes.h"

#include <vector>

class TFxChangeLink : public TObject {
    ORV_CLASS(TFxChangeLink, TObject)
public:
    TFxChangeLink() = default;

    const TNotifyEvent& OnChange() const { return FOnChange; }
    void SetOnChange(TNotifyEvent value) { FOnChange = std::move(value); }
    const TNotifyEvent& OnStateDown() const { return FOnStateDown; }
    void SetOnStateDown(TNotifyEvent value) { FOnStateDown = std::move(value); }
    const TNotifyEvent& OnLoaded() const { return FOnLoaded; }
    void SetOnLoaded(TNotifyEvent value) { FOnLoaded = std::move(value); }
    // The object that fired last.
    TObject* Sender() const { return FSender; }
    void SetSender(TObject* value) { FSender = value; }

    virtual void FireChange();
    virtual void FireStateDown();
    virtual void FireLoaded();

private:
    TNotifyEvent FOnChange;
    TNotifyEvent FOnStateDown;
    TNotifyEvent FOnLoaded;
    TObject* FSender = nullptr;
};

// The links a notifier keeps, in the order they were added.
class TFxChangeLinks {
public:
    // A null link is not added.
    void Add(TFxChangeLink* link);
    void Remove(TFxChangeLink* link);
    void Clear() { FLinks.clear(); }
    // Calls fire on every link, each told the sender first; the links are those listed
    // when the call begins, so that a handler may add or remove links.
    void Fire(TObject* sender, void (TFxChangeLink::*fire)()) const;

private:
    std::vector<TFxChangeLink*> FLinks;
};
