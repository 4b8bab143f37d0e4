#include "persist/ExProps.h"
#include "persist/tests/SampleComponent.h"

#include "framework/core/Classes.h"
#include "framework/core/SystemUtils.h"
#include "framework/gui/Forms.h"
#include "framework/gui/TestKit.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

using namespace PersistTest;

// A two-level store in memory.
struct TMemoryStore {
    std::map<std::string, std::map<std::string, std::string>> Data;
    std::vector<std::string> Erased;

    void Attach(TPropsStorage& storage) {
        storage.SetOnReadString(
            [this](const std::string& s, const std::string& i, const std::string& d) {
                auto sec = Data.find(s);
                if (sec == Data.end() || !sec->second.count(i))
                    return d;
                return sec->second[i];
            });
        storage.SetOnWriteString([this](const std::string& s, const std::string& i,
                                        const std::string& v) { Data[s][i] = v; });
        storage.SetOnEraseSection([this](const std::string& s) {
            Erased.push_back(s);
            Data.erase(s);
        });
    }
};

class ExPropsTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestKit::StartTestApplication();
        Owner = new TComponent(nullptr);
        Sample = new TSample(Owner);
        Sample->SetName("Sample");
        Store.Attach(Storage);
        Storage.SetSection("sec");
    }
    void TearDown() override {
        delete Owner;
        DecimalSeparator = '.';
    }
    void StoreEntries(std::vector<std::string> entries) {
        TStringList list;
        for (auto& e : entries)
            list.Add(e);
        UpdateStoredEntries(Owner, &list, semResolve);
        Storage.StoreObjectsProps(Owner, &list);
    }
    void LoadEntries(std::vector<std::string> entries) {
        TStringList list;
        for (auto& e : entries)
            list.Add(e);
        UpdateStoredEntries(Owner, &list, semResolve);
        Storage.LoadObjectsProps(Owner, &list);
    }
    std::string& Stored(const std::string& ident) { return Store.Data["sec"][ident]; }

    TComponent* Owner = nullptr;
    TSample* Sample = nullptr;
    TPropsStorage Storage;
    TMemoryStore Store;
};

TEST_F(ExPropsTest, ScalarKindsRoundTripAsText) {
    DecimalSeparator = ',';
    Sample->SetFolder("  /home/user/data ");
    Sample->SetKinds(TSampleKinds{skAlpha, skGamma});
    Sample->SetKind(skDelta);
    Sample->SetRatio(0.1);
    Sample->SetSingleValue(2.5f);
    Sample->SetCount(-42);
    Sample->SetBig(int64_t(1) << 40);
    Sample->SetLetter('Q');
    Sample->SetFlag(true);
    StoreEntries({"Sample.Folder", "Sample.Kinds", "Sample.Kind", "Sample.Ratio", "Sample.Single",
                  "Sample.Count", "Sample.Big", "Sample.Letter", "Sample.Flag"});
    const std::map<std::string, std::string> expected = {{"Sample_Folder", "/home/user/data"},
                                                         {"Sample_Kinds", "[skAlpha,skGamma]"},
                                                         {"Sample_Kind", "skDelta"},
                                                         {"Sample_Ratio", "0.1"},
                                                         {"Sample_Single", "2.5"},
                                                         {"Sample_Count", "-42"},
                                                         {"Sample_Big", "1099511627776"},
                                                         {"Sample_Letter", "Q"},
                                                         {"Sample_Flag", "True"}};
    EXPECT_EQ(Store.Data["sec"], expected);

    auto* fresh = new TSample(Owner);
    Sample->SetName("");
    fresh->SetName("Sample");
    LoadEntries({"Sample.Folder", "Sample.Kinds", "Sample.Kind", "Sample.Ratio", "Sample.Single",
                 "Sample.Count", "Sample.Big", "Sample.Letter", "Sample.Flag"});
    EXPECT_EQ(fresh->Folder(), "/home/user/data");
    EXPECT_EQ(fresh->Kinds(), (TSampleKinds{skAlpha, skGamma}));
    EXPECT_EQ(fresh->Kind(), skDelta);
    EXPECT_EQ(fresh->Ratio(), 0.1);
    EXPECT_EQ(fresh->SingleValue(), 2.5f);
    EXPECT_EQ(fresh->Count(), -42);
    EXPECT_EQ(fresh->Big(), int64_t(1) << 40);
    EXPECT_EQ(fresh->Letter(), 'Q');
    EXPECT_TRUE(fresh->Flag());
}

TEST_F(ExPropsTest, UnreadableTextLeavesThePropertyAsItWas) {
    Sample->SetCount(7);
    Sample->SetBig(9);
    Sample->SetKind(skBeta);
    Sample->SetRatio(1.5);
    Sample->SetLetter('x');
    struct TCase {
        std::string Ident, Text;
    };
    const TCase cases[] = {{"Sample_Count", "seven"},
                           {"Sample_Big", "12abc"},
                           {"Sample_Kind", "skOmega"},
                           {"Sample_Ratio", "1,5x"},
                           {"Sample_Letter", ""}};
    for (const TCase& c : cases)
        Stored(c.Ident) = c.Text;
    LoadEntries({"Sample.Count", "Sample.Big", "Sample.Kind", "Sample.Ratio", "Sample.Letter"});
    EXPECT_EQ(Sample->Count(), 7);
    EXPECT_EQ(Sample->Big(), 9);
    EXPECT_EQ(Sample->Kind(), skBeta);
    EXPECT_EQ(Sample->Ratio(), 1.5);
    EXPECT_EQ(Sample->Letter(), 'x');
}

TEST_F(ExPropsTest, SetTextsInAnyOrderAndEmptyClear) {
    struct TCase {
        std::string Text;
        TSampleKinds Expected;
    };
    const TCase cases[] = {
        {"[ skGamma , skAlpha ]", TSampleKinds{skAlpha, skGamma}},
        {"[]", TSampleKinds{}},
        {"", TSampleKinds{}},
        {"[skBeta,nonsense]", TSampleKinds{skBeta}},
    };
    for (const TCase& c : cases) {
        Sample->SetKinds(TSampleKinds{skDelta});
        Stored("Sample_Kinds") = c.Text;
        LoadEntries({"Sample.Kinds"});
        EXPECT_EQ(Sample->Kinds(), c.Expected) << c.Text;
    }
    Sample->SetKinds({});
    StoreEntries({"Sample.Kinds"});
    EXPECT_EQ(Stored("Sample_Kinds"), "[]");
}

TEST_F(ExPropsTest, MissingIdentifierKeepsTheValueTrimmed) {
    Sample->SetFolder("  padded ");
    Sample->SetCount(5);
    LoadEntries({"Sample.Folder", "Sample.Count"});
    EXPECT_EQ(Sample->Folder(), "padded");
    EXPECT_EQ(Sample->Count(), 5);
}

TEST_F(ExPropsTest, StringListsGoToTheirOwnSubSection) {
    Sample->Lines()->Add("first");
    Sample->Lines()->Add(" second ");
    StoreEntries({"Sample.Lines"});
    const std::map<std::string, std::string> expected = {
        {"Count", "2"}, {"Item0", "first"}, {"Item1", " second "}};
    EXPECT_EQ(Store.Data["sec.Sample_Lines"], expected);
    EXPECT_FALSE(Store.Data["sec"].count("Sample_Lines"));

    Sample->Lines()->Clear();
    Sample->Lines()->Add("old");
    LoadEntries({"Sample.Lines"});
    EXPECT_EQ(Sample->Lines()->ToVector(), (std::vector<std::string>{"first", " second "}));

    // An empty list erases its section and writes no count; loading that keeps the list.
    Sample->Lines()->Clear();
    Store.Erased.clear();
    StoreEntries({"Sample.Lines"});
    EXPECT_EQ(Store.Erased, std::vector<std::string>{"sec.Sample_Lines"});
    EXPECT_FALSE(Store.Data.count("sec.Sample_Lines"));
    Sample->Lines()->Add("kept");
    LoadEntries({"Sample.Lines"});
    EXPECT_EQ(Sample->Lines()->ToVector(), std::vector<std::string>{"kept"});
}

TEST_F(ExPropsTest, CollectionsStoreTheirCountAndItems) {
    for (int w : {11, 22, 33}) {
        auto* col = static_cast<TSampleColumn*>(Sample->Columns()->Add());
        col->SetWidth(w);
        col->SetCaption("c" + std::to_string(w));
    }
    StoreEntries({"Sample.Columns"});
    EXPECT_EQ(Stored("Columns.Count"), "3");
    const std::map<std::string, std::string> items = {
        {"Item0_Width", "11"},    {"Item0_Caption", "c11"}, {"Item1_Width", "22"},
        {"Item1_Caption", "c22"}, {"Item2_Width", "33"},    {"Item2_Caption", "c33"}};
    EXPECT_EQ(Store.Data["sec.Sample_Columns"], items);

    struct TCase {
        int Present;
        std::string StoredCount;
        int ExpectedCount;
        bool SameItems; // the present items were kept
    };
    const TCase cases[] = {
        {5, "3", 3, false},     {3, "3", 3, true},    {2, "-1", 2, true},
        {2, "100001", 2, true}, {2, "lots", 2, true},
    };
    for (const TCase& c : cases) {
        Sample->Columns()->Clear();
        for (int i = 0; i < c.Present; ++i)
            Sample->Columns()->Add();
        const int firstId = Sample->Columns()->Items(0)->ID();
        Stored("Columns.Count") = c.StoredCount;
        LoadEntries({"Sample.Columns"});
        ASSERT_EQ(Sample->Columns()->Count(), c.ExpectedCount) << c.StoredCount;
        EXPECT_EQ(Sample->Columns()->Items(0)->ID() == firstId, c.SameItems) << c.StoredCount;
        EXPECT_EQ(static_cast<TSampleColumn*>(Sample->Columns()->Items(1))->Width(), 22);
    }
}

TEST_F(ExPropsTest, AOneValueListOfWidthsIsReadIntoTheColumnsAndStoredAsTheCollection) {
    for (int i = 0; i < 3; ++i)
        Sample->Columns()->Add();
    // What earlier versions kept: the widths as one value; bad parts leave a width alone.
    Stored("Sample_Columns") = "150; x;80;99";
    LoadEntries({"Sample.Columns"});
    ASSERT_EQ(Sample->Columns()->Count(), 3);
    auto width = [&](int i) {
        return static_cast<TSampleColumn*>(Sample->Columns()->Items(i))->Width();
    };
    EXPECT_EQ(width(0), 150);
    EXPECT_EQ(width(1), 50);
    EXPECT_EQ(width(2), 80);
    StoreEntries({"Sample.Columns"});
    EXPECT_EQ(Stored("Columns.Count"), "3");
    EXPECT_EQ(Store.Data["sec.Sample_Columns"]["Item0_Width"], "150");
    // From then on the collection form wins over the old value.
    static_cast<TSampleColumn*>(Sample->Columns()->Items(0))->SetWidth(10);
    StoreEntries({"Sample.Columns"});
    static_cast<TSampleColumn*>(Sample->Columns()->Items(0))->SetWidth(20);
    LoadEntries({"Sample.Columns"});
    EXPECT_EQ(width(0), 10);
}

TEST_F(ExPropsTest, NestedObjectsExtendTheIdentifier) {
    Sample->Font()->SetSize(14);
    StoreEntries({"Sample.Font"});
    EXPECT_EQ(Stored("Sample_FontSize"), "14");
    Sample->Font()->SetSize(8);
    LoadEntries({"Sample.Font"});
    EXPECT_EQ(Sample->Font()->Size(), 14);
}

TEST_F(ExPropsTest, ComponentReferencesNameTheirOwnerWhenItIsAnother) {
    auto* local = new TComponent(Owner);
    local->SetName("Local");
    Sample->SetBuddy(local);
    StoreEntries({"Sample.Buddy"});
    EXPECT_EQ(Stored("Sample_Buddy"), "Local");

    auto* other = new TForm(nullptr);
    other->SetName("fmOther");
    auto* target = new TComponent(other);
    target->SetName("Target");
    Sample->SetBuddy(target);
    StoreEntries({"Sample.Buddy"});
    EXPECT_EQ(Stored("Sample_Buddy"), "fmOther.Target");

    Sample->SetBuddy(local);
    LoadEntries({"Sample.Buddy"});
    EXPECT_EQ(Sample->Buddy(), target);

    Stored("Sample_Buddy") = "fmOther.Missing";
    LoadEntries({"Sample.Buddy"});
    EXPECT_EQ(Sample->Buddy(), nullptr);

    // The form is not open: nothing changes.
    Sample->SetBuddy(local);
    Stored("Sample_Buddy") = "fmClosed.Target";
    LoadEntries({"Sample.Buddy"});
    EXPECT_EQ(Sample->Buddy(), local);

    Stored("Sample_Buddy") = "(NULL)";
    LoadEntries({"Sample.Buddy"});
    EXPECT_EQ(Sample->Buddy(), nullptr);
    delete other;
}

TEST_F(ExPropsTest, EntriesAreResolvedRenamedAndDropped) {
    TStringList entries;
    for (const char* e : {" Sample . Folder ", "Missing.Folder", "NoPoint", ".Folder", "Sample."})
        entries.Add(e);
    UpdateStoredEntries(Owner, &entries, semResolve);
    ASSERT_EQ(entries.Count(), 1);
    EXPECT_EQ(entries.GetObject(0), Sample);
    Sample->SetName("Renamed");
    UpdateStoredEntries(Owner, &entries, semRename);
    EXPECT_EQ(entries.ToVector(), std::vector<std::string>{"Renamed.Folder"});
    EXPECT_EQ(RenameStoredEntry("A.B", "C"), "C.B");
    EXPECT_EQ(MakeStoredEntry("A", ""), "");

    TPropInfoList list(Sample);
    EXPECT_NE(list.Find("folder"), nullptr);
    EXPECT_EQ(list.Find("OnChange"), nullptr); // events are not listed
    EXPECT_EQ(TPropInfoList(nullptr).Count(), 0);
}

} // namespace
