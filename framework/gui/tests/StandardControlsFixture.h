#pragma once
// The standard controls' tests share one fixture: a form to put controls on, and a log of
// the events they fire.

#include "framework/gui/Forms.h"
#include "framework/gui/StandardControls.h"
#include "framework/gui/TestKit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

// Counts the events of the controls it is attached to, in order.
struct TEventLog {
    std::vector<std::string> Entries;
    TNotifyEvent Note(const std::string& what) {
        return TNotifyEvent([this, what](TObject*) { Entries.push_back(what); });
    }
    int Count(const std::string& what) const {
        return int(std::count(Entries.begin(), Entries.end(), what));
    }
};

class StandardControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestKit::StartTestApplication();
        Form = CreateForm<TForm>(nullptr);
        Form->SetName("fmTest");
        Form->SetBounds(10, 10, 400, 300);
    }
    void TearDown() override { delete Form; }

    template <class T>
    T* Add(const std::string& name, int left, int top, int width = 0, int height = 0,
           TWinControl* parent = nullptr) {
        T* c = new T(Form);
        c->SetName(name);
        c->SetParent(parent ? parent : Form);
        c->SetBounds(left, top, width ? width : c->Width(), height ? height : c->Height());
        return c;
    }

    TForm* Form = nullptr;
    TEventLog Log;
};
