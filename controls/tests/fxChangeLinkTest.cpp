#include "controls/fxChangeLink.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Each kind of firing reaches its own event on every link, in the order added, with the
// sender set; a null link is not kept and removing an absent link changes nothing.
TEST(FxChangeLinksTest, FireCallsTheNamedEventOnEveryLinkWithTheSender) {
    TObject sender;
    std::vector<std::string> heard;
    TFxChangeLink a, b;
    for (auto [link, name] : {std::pair{&a, std::string("a")}, std::pair{&b, std::string("b")}}) {
        link->SetOnChange(TNotifyEvent([&heard, name = name, &sender](TObject* s) {
            heard.push_back(name + (s == &sender ? ":change" : ":wrong sender"));
        }));
        link->SetOnStateDown(
            TNotifyEvent([&heard, name = name](TObject*) { heard.push_back(name + ":down"); }));
        link->SetOnLoaded(
            TNotifyEvent([&heard, name = name](TObject*) { heard.push_back(name + ":loaded"); }));
    }
    TFxChangeLinks links;
    links.Add(&a);
    links.Add(nullptr);
    links.Add(&b);
    links.Remove(nullptr);
    links.Fire(&sender, &TFxChangeLink::FireChange);
    links.Fire(&sender, &TFxChangeLink::FireStateDown);
    links.Fire(&sender, &TFxChangeLink::FireLoaded);
    EXPECT_EQ(heard, (std::vector<std::string>{"a:change", "b:change", "a:down", "b:down",
                                               "a:loaded", "b:loaded"}));
    EXPECT_EQ(a.Sender(), &sender);
}

// A handler that removes the next link does not cut the round that is firing; the next
// round no longer reaches it.
TEST(FxChangeLinksTest, RemovingALinkWhileFiringTakesEffectOnTheNextRound) {
    TObject sender;
    TFxChangeLinks links;
    TFxChangeLink first, second;
    int secondHeard = 0;
    first.SetOnChange(TNotifyEvent([&](TObject*) { links.Remove(&second); }));
    second.SetOnChange(TNotifyEvent([&](TObject*) { ++secondHeard; }));
    links.Add(&first);
    links.Add(&second);
    links.Fire(&sender, &TFxChangeLink::FireChange);
    EXPECT_EQ(secondHeard, 1);
    links.Fire(&sender, &TFxChangeLink::FireChange);
    EXPECT_EQ(secondHeard, 1);
}

} // namespace
