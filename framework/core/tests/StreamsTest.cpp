#include "ComponentReader.h"

#include "framework/core/FrameworkTexts.h"
#include "framework/core/Streams.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <fcntl.h>
#include <filesystem>
#include <future>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

enum TTestColour { tcRed, tcGreen, tcBlue };
const TTypeInfo kColourType = MakeEnumType("TTestColour", {"tcRed", "tcGreen", "tcBlue"});
const TTypeInfo kColoursType = MakeSetType("TTestColours", &kColourType);
const TTypeInfo kPointsType = MakeIgnoredType("TPoints", tkArray);

class TTestFont : public TPersistent {
    ORV_CLASS(TTestFont, TPersistent)
    static void Publish(TPublisher<TTestFont>& p) {
        p.Integer("Color", &TTestFont::Color, &TTestFont::SetColor).Default(0);
        p.String("Name", &TTestFont::Name, &TTestFont::SetName).Default("Arial");
    }
    int Color() const { return FColor; }
    void SetColor(int v) { FColor = v; }
    std::string Name() const { return FName; }
    void SetName(const std::string& v) { FName = v; }

private:
    int FColor = 0;
    std::string FName = "Arial";
};

class TTestTitle : public TPersistent {
    ORV_CLASS(TTestTitle, TPersistent)
    static void Publish(TPublisher<TTestTitle>& p) {
        p.Class("Font", TTestFont::StaticClass(), &TTestTitle::Font, nullptr);
        p.String("Text", &TTestTitle::Text, &TTestTitle::SetText);
    }
    TTestFont* Font() const { return FFont.get(); }
    std::string Text() const { return FText; }
    void SetText(const std::string& v) { FText = v; }

private:
    std::unique_ptr<TTestFont> FFont = std::make_unique<TTestFont>();
    std::string FText;
};

class TTestItem : public TCollectionItem {
    ORV_CLASS(TTestItem, TCollectionItem)
    using TCollectionItem::TCollectionItem;
    static void Publish(TPublisher<TTestItem>& p) {
        p.Integer("Width", &TTestItem::Width, &TTestItem::SetWidth).Default(50);
    }
    int Width() const { return FWidth; }
    void SetWidth(int v) { FWidth = v; }

private:
    int FWidth = 50;
};

// One published property of every kind, and extra streamed data of every entry type.
class TEveryKind : public TComponent {
    ORV_CLASS(TEveryKind, TComponent)
    explicit TEveryKind(TComponent* owner) : TComponent(owner) {}
    static void Publish(TPublisher<TEveryKind>& p) {
        using T = TEveryKind;
        p.Integer(
             "Int", [](const T* o) { return o->FInt; }, [](T* o, int v) { o->FInt = v; })
            .Default(7);
        p.Ordinal(
            "Small", TypeInfoShortInt(), [](const T* o) { return o->FSmall; },
            [](T* o, int8_t v) { o->FSmall = v; });
        p.Int64(
            "Big", [](const T* o) { return o->FBig; }, [](T* o, int64_t v) { o->FBig = v; });
        p.Char(
            "Letter", [](const T* o) { return o->FLetter; }, [](T* o, char v) { o->FLetter = v; });
        p.WideChar(
            "Wide", [](const T* o) { return o->FWide; }, [](T* o, char16_t v) { o->FWide = v; });
        p.Enum(
             "Colour", &kColourType, [](const T* o) { return o->FColour; },
             [](T* o, TTestColour v) { o->FColour = v; })
            .Default(tcRed);
        p.Bool(
             "Flag", [](const T* o) { return o->FFlag; }, [](T* o, bool v) { o->FFlag = v; })
            .Default(true);
        p.Set(
             "Colours", &kColoursType, [](const T* o) { return o->FColours; },
             [](T* o, uint32_t v) { o->FColours = v; })
            .Default(0);
        p.Float(
            "Single", [](const T* o) { return o->FSingle; }, [](T* o, float v) { o->FSingle = v; },
            TypeInfoSingle());
        p.Float(
            "Double", [](const T* o) { return o->FDouble; },
            [](T* o, double v) { o->FDouble = v; });
        p.Float(
            "Extended", [](const T* o) { return o->FExtended; },
            [](T* o, long double v) { o->FExtended = v; }, TypeInfoExtended());
        p.Float(
            "Comp", [](const T* o) { return o->FComp; },
            [](T* o, long double v) { o->FComp = int64_t(v); }, TypeInfoComp());
        p.Float(
            "Money", [](const T* o) { return o->FMoney; },
            [](T* o, long double v) { o->FMoney = v; }, TypeInfoCurrency());
        p.Float(
            "When", [](const T* o) { return o->FWhen; }, [](T* o, double v) { o->FWhen = v; },
            TypeInfoDateTime());
        p.String(
            "Short", [](const T* o) { return o->FShort; },
            [](T* o, const std::string& v) { o->FShort = v; }, TypeInfoShortString());
        p.String(
            "Long", [](const T* o) { return o->FLong; },
            [](T* o, const std::string& v) { o->FLong = v; });
        p.String(
            "WideText", [](const T* o) { return o->FWideText; },
            [](T* o, const std::string& v) { o->FWideText = v; }, TypeInfoWideString());
        p.Class(
            "Title", TTestTitle::StaticClass(), [](const T* o) { return o->FTitle.get(); },
            nullptr);
        p.Class(
            "Lines", TStringList::StaticClass(), [](const T* o) { return o->FLines.get(); },
            nullptr);
        p.Class(
            "Items", TCollection::StaticClass(), [](const T* o) { return o->FItems.get(); },
            nullptr);
        p.Class(
            "Buddy", TComponent::StaticClass(), [](const T* o) { return o->FBuddy; },
            [](T* o, TComponent* v) { o->FBuddy = v; });
        p.Variant(
            "Any", [](const T* o) { return o->FAny; },
            [](T* o, const TVariant& v) { o->FAny = v; });
        p.Event("OnChange", &T::OnChange, &T::SetOnChange);
        p.Ignored("Points", &kPointsType);
    }
    void DefineStreamedData(TFiler& filer) override {
        TComponent::DefineStreamedData(filer);
        filer.DefineString(
            "Identifier", FIdentifier, [this](const std::string& v) { FIdentifier = v; },
            !FIdentifier.empty());
        filer.DefineInteger(
            "Style", FStyle, [this](int64_t v) { FStyle = int(v & 63); }, FStyle != 0);
        filer.DefineStrings(
            "DataSources", FSources, [this](const std::vector<std::string>& v) { FSources = v; },
            FSources.size() >= 2);
        filer.DefineBoolean(
            "IsForm", FIsForm, [this](bool v) { FIsForm = v; }, FIsForm);
        filer.DefineBinary(
            "RegionData", FRegion, [this](std::string_view v) { FRegion = v; }, !FRegion.empty());
    }
    const TNotifyEvent& OnChange() const { return FOnChange; }
    void SetOnChange(TNotifyEvent v) { FOnChange = std::move(v); }
    void Changed(TObject*) {}
    void GetChildren(const TGetChildProc& proc, TComponent*) override {
        for (int i = 0; i < ComponentCount(); ++i)
            proc(Components(i));
    }

    int FInt = 7;
    int8_t FSmall = 0;
    int64_t FBig = 0;
    char FLetter = 'a';
    char16_t FWide = u'a';
    TTestColour FColour = tcRed;
    bool FFlag = true;
    uint32_t FColours = 0;
    float FSingle = 0;
    double FDouble = 0;
    long double FExtended = 0;
    int64_t FComp = 0;
    long double FMoney = 0;
    double FWhen = 0;
    std::string FShort, FLong, FWideText;
    std::unique_ptr<TTestTitle> FTitle = std::make_unique<TTestTitle>();
    std::unique_ptr<TStringList> FLines = std::make_unique<TStringList>();
    std::unique_ptr<TCollection> FItems =
        std::make_unique<TCollection>(TTestItem::StaticClass(), this);
    TComponent* FBuddy = nullptr;
    TVariant FAny;
    TNotifyEvent FOnChange;
    std::string FIdentifier;
    int FStyle = 0;
    std::vector<std::string> FSources;
    bool FIsForm = false;
    std::string FRegion;
};

// A component whose children are the components it owns.
class TTestBox : public TComponent {
    ORV_CLASS(TTestBox, TComponent)
    explicit TTestBox(TComponent* owner) : TComponent(owner) {}
    static void Publish(TPublisher<TTestBox>& p) {
        p.Integer("Size", &TTestBox::Size, &TTestBox::SetSize).Default(0);
    }
    int Size() const { return FSize; }
    void SetSize(int v) { FSize = v; }
    void GetChildren(const TGetChildProc& proc, TComponent*) override {
        for (int i = 0; i < ComponentCount(); ++i)
            proc(Components(i));
    }
    void DefineStreamedData(TFiler& filer) override {
        filer.DefineString("Identifier", FIdentifier, nullptr, !FIdentifier.empty());
    }
    std::string FIdentifier;

private:
    int FSize = 0;
};

class StreamsTest : public ::testing::Test {
protected:
    void SetUp() override { RegisterClasses({TEveryKind::StaticClass(), TTestBox::StaticClass()}); }
};

void FillEveryKind(TEveryKind& a, TComponent& buddy) {
    a.SetName("Every");
    a.FInt = -70000;
    a.FSmall = -5;
    a.FBig = int64_t(1) << 40;
    a.FLetter = 'Q';
    a.FWide = u'Ω';
    a.FColour = tcBlue;
    a.FFlag = false;
    a.FColours = (1 << tcRed) | (1 << tcBlue);
    a.FSingle = 1.5f;
    a.FDouble = 0.1;
    a.FExtended = 1.0L / 3;
    a.FComp = 123456789012LL;
    a.FMoney = 12.3456L;
    a.FWhen = 45000.25;
    a.FShort = "short";
    a.FLong = std::string(300, 'x');
    a.FWideText = "Αιολικό";
    a.FTitle->SetText("Τίτλος");
    a.FTitle->Font()->SetColor(0xFF);
    a.FLines->SetText("one\ntwo");
    static_cast<TTestItem*>(a.FItems->Add())->SetWidth(10);
    a.FItems->Add();
    a.FBuddy = &buddy;
    a.FAny = TVariant(2.5);
    a.FOnChange = TNotifyEvent(&a, &TEveryKind::Changed, "EveryChange");
    a.FIdentifier = "id";
    a.FStyle = 0x15;
    a.FSources = {"S1", "S2"};
    a.FIsForm = true;
    a.FRegion = std::string("\x00\x01\xff", 3);
}

TEST_F(StreamsTest, EveryPropertyKindSurvivesTheComponentStream) {
    TComponent form(nullptr);
    form.SetName("Form");
    auto* a = new TEveryKind(&form);
    auto* buddy = new TComponent(&form);
    buddy->SetName("Buddy");
    FillEveryKind(*a, *buddy);

    TMemoryStream stream;
    stream.WriteComponent(a);
    stream.SetPosition(0);
    TStreamComponent tree = ReadComponentStream(stream);
    EXPECT_EQ(stream.Position(), stream.Size());

    // Read back into a form that has a buddy of the same name: "Form.Buddy" resolves
    // through the owner's name.
    TComponent form2(nullptr);
    std::vector<std::string> methods;
    auto* b = static_cast<TEveryKind*>(CreateFromStream(tree, &form2, &methods));
    EXPECT_EQ(b->Name(), "Every");
    EXPECT_EQ(b->FInt, a->FInt);
    EXPECT_EQ(b->FSmall, a->FSmall);
    EXPECT_EQ(b->FBig, a->FBig);
    EXPECT_EQ(b->FLetter, a->FLetter);
    EXPECT_EQ(b->FWide, a->FWide);
    EXPECT_EQ(b->FColour, a->FColour);
    EXPECT_EQ(b->FFlag, a->FFlag);
    EXPECT_EQ(b->FColours, a->FColours);
    EXPECT_EQ(b->FSingle, a->FSingle);
    EXPECT_EQ(b->FDouble, a->FDouble);
    EXPECT_EQ(b->FExtended, a->FExtended);
    EXPECT_EQ(b->FComp, a->FComp);
    EXPECT_NEAR(double(b->FMoney), 12.3456, 1e-12);
    EXPECT_EQ(b->FWhen, a->FWhen);
    EXPECT_EQ(b->FShort, a->FShort);
    EXPECT_EQ(b->FLong, a->FLong);
    EXPECT_EQ(b->FWideText, a->FWideText);
    EXPECT_EQ(b->FTitle->Text(), "Τίτλος");
    EXPECT_EQ(b->FTitle->Font()->Color(), 0xFF);
    EXPECT_TRUE(b->FLines->Equals(*a->FLines));
    ASSERT_EQ(b->FItems->Count(), 2);
    EXPECT_EQ(static_cast<TTestItem*>(b->FItems->Items(0))->Width(), 10);
    EXPECT_EQ(static_cast<TTestItem*>(b->FItems->Items(1))->Width(), 50);
    EXPECT_EQ(b->FAny, a->FAny);
    EXPECT_EQ(methods, std::vector<std::string>{"OnChange=EveryChange"});
    EXPECT_EQ(b->FIdentifier, "id");
    EXPECT_EQ(b->FStyle, 0x15);
    EXPECT_EQ(b->FSources, a->FSources);
    EXPECT_TRUE(b->FIsForm);
    EXPECT_EQ(b->FRegion, a->FRegion);

    // The written names and tags: defaults are left out, non-ASCII text is UTF-8,
    // nested objects are dotted paths, the reference names its owner.
    std::map<std::string, TValueType> tags;
    for (const auto& [name, value] : tree.Props)
        tags[name] = value.Type;
    std::map<std::string, TValueType> expected = {{"Int", vaInt32},
                                                  {"Small", vaInt8},
                                                  {"Big", vaInt64},
                                                  {"Letter", vaString},
                                                  {"Wide", vaWString},
                                                  {"Colour", vaIdent},
                                                  {"Flag", vaFalse},
                                                  {"Colours", vaSet},
                                                  {"Single", vaSingle},
                                                  {"Double", vaExtended},
                                                  {"Extended", vaExtended},
                                                  {"Comp", vaExtended},
                                                  {"Money", vaCurrency},
                                                  {"When", vaDate},
                                                  {"Short", vaString},
                                                  {"Long", vaLString},
                                                  {"WideText", vaWString},
                                                  {"Title.Font.Color", vaInt16},
                                                  {"Title.Text", vaUTF8String},
                                                  {"Lines.Strings", vaList},
                                                  {"Items", vaCollection},
                                                  {"Buddy", vaIdent},
                                                  {"Any", vaExtended},
                                                  {"OnChange", vaIdent},
                                                  {"Identifier", vaString},
                                                  {"Style", vaInt8},
                                                  {"DataSources", vaList},
                                                  {"IsForm", vaTrue},
                                                  {"RegionData", vaBinary}};
    EXPECT_EQ(tags, expected);
    EXPECT_EQ(tree.Props[21].second.Str, "Form.Buddy");
}

TEST_F(StreamsTest, ChildrenAndDefinedDataGiveTheExpectedBytes) {
    TTestBox box(nullptr);
    box.SetName("Box");
    box.SetTag(5);
    box.SetSize(300);
    box.FIdentifier = "ab";
    auto* inner = new TTestBox(&box);
    inner->SetName("Inner");

    TMemoryStream stream;
    stream.WriteComponent(&box);
    const std::string expected = std::string("TPF0") +
                                 "\x08TTestBox\x03"
                                 "Box" +
                                 "\x03Tag\x02\x05" + "\x04Size\x03\x2C\x01" +
                                 "\x0AIdentifier\x06\x02"
                                 "ab" +
                                 std::string(1, '\0') + "\x08TTestBox\x05Inner" +
                                 std::string(2, '\0') + std::string(1, '\0');
    EXPECT_EQ(stream.Data(), expected);
    EXPECT_FALSE(box.ComponentState().Contains(csWriting));
}

TEST(StreamValues, IntegersTakeTheSmallestTag) {
    struct {
        int64_t value;
        std::string bytes;
    } cases[] = {
        {0, std::string("\x02\x00", 2)},
        {-128, "\x02\x80"},
        {128, std::string("\x03\x80\x00", 3)},
        {-32769, std::string("\x04\xFF\x7F\xFF\xFF", 5)},
        {int64_t(1) << 31, std::string("\x13\x00\x00\x00\x80\x00\x00\x00\x00", 9)},
    };
    for (const auto& c : cases) {
        TMemoryStream s;
        TWriter w(s);
        w.WriteInteger(c.value);
        EXPECT_EQ(s.Data(), c.bytes) << c.value;
    }
}

TEST(StreamValues, ExtendedKeepsLongDoublePrecision) {
    for (long double v : {0.0L, -0.0L, 1.0L, -2.5L, 1.0L / 3, 1e-4940L, 1e4000L, 12345.678e-300L}) {
        unsigned char b[10];
        ExtendedToBytes(v, b);
        long double back = ExtendedFromBytes(b);
        EXPECT_EQ(back, v);
        EXPECT_EQ(std::signbit(back), std::signbit(v));
    }
    unsigned char one[10];
    ExtendedToBytes(1.0L, one);
    EXPECT_EQ(std::string((char*)one, 10), std::string("\0\0\0\0\0\0\0\x80\xFF\x3F", 10));
}

TEST(FileStreams, ErrorsNameTheFileAndShortReadsFail) {
    auto dir = std::filesystem::temp_directory_path() /
               ("orv-streams-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                "-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::string missing = (dir / "none" / "x.bin").string();
    try {
        TFileStream f(missing, fmOpenRead);
        FAIL();
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), Format(FrameworkTexts::CannotOpenFile,
                                      {missing, std::string(FrameworkTexts::NoSuchFile)}));
    }
    try {
        TFileStream f(missing, fmCreate);
        FAIL();
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message(), Format(FrameworkTexts::CannotCreateFile,
                                      {missing, std::string(FrameworkTexts::NoSuchFile)}));
    }

    std::string name = (dir / "a.bin").string();
    {
        TFileStream f(name, fmCreate);
        f.WriteUInt32(0x01020304);
        f.WriteDouble(2.5);
    }
    TFileStream f(name, fmOpenRead);
    EXPECT_EQ(f.Size(), 12);
    EXPECT_EQ(f.ReadByte(), 4);
    f.SetPosition(4);
    EXPECT_EQ(f.ReadDouble(), 2.5);
    try {
        f.ReadByte();
        FAIL();
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), FrameworkTexts::StreamReadError);
    }
    std::filesystem::remove_all(dir);
}

// A memory stream loads regular files only, of a size a stream can hold: a FIFO is refused
// at once instead of waiting for a writer, and so are a device, a folder and a larger file
// (sparse). The stream keeps what it held; each message names the file.
TEST(FileStreams, MemoryStreamsLoadOnlyRegularFilesOfAStreamSize) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("orv-memstream-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string fifo = (dir / "pipe.bin").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string huge = (dir / "huge.bin").string();
    TMemoryStream small;
    small.WriteUInt32(7);
    small.SaveToFile(huge);
    std::filesystem::resize_file(huge, uint64_t(kMaxMemoryStreamFileSize) + 1);
    TMemoryStream stream;
    stream.WriteUInt32(42);
    for (const std::string& name : {fifo, std::string("/dev/zero"), dir.string(), huge}) {
        SCOPED_TRACE(name);
        auto load = std::async(std::launch::async, [&] {
            try {
                stream.LoadFromFile(name);
                return std::string("loaded");
            } catch (const EFOpenError& e) {
                return e.Message();
            }
        });
        if (load.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
            // The reader waits on the FIFO: give it a writer so the test can end.
            const int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
            if (writer >= 0)
                ::close(writer);
            ADD_FAILURE() << "waited for a writer";
        }
        EXPECT_NE(load.get().find(name), std::string::npos);
    }
    EXPECT_EQ(stream.Size(), 4);
    const std::string regular = (dir / "small.bin").string();
    small.SaveToFile(regular);
    stream.LoadFromFile(regular);
    EXPECT_EQ(stream.ReadUInt32(), 7u);
    std::filesystem::remove_all(dir);
}

} // namespace

// Found by fuzzing: a damaged length prefix (2 GB of binary data in a stream of 20 bytes)
// allocated before reading failed. It must fail at once.
TEST(StreamValues, LengthBeyondTheStreamIsAReadError) {
    TMemoryStream stream;
    const char bytes[] = "TPF0\x0aTComponent\x01"
                         "B\x01S\x0a\xff\xff\xff\x7f";
    stream.Write(bytes, sizeof bytes - 1);
    stream.SetPosition(0);
    EXPECT_THROW(ReadComponentStream(stream), EReadError);
    stream.SetPosition(0);
    EXPECT_THROW(stream.ReadBytes(1000), EReadError);
    EXPECT_EQ(stream.Position(), 0);
}

// Nesting of lists, collections and components deeper than the reader allows is a read
// error, not a stack overflow; shallow nesting still reads.
TEST(StreamValues, DeepNestingIsAReadError) {
    const auto stream = [](const std::string& head, const std::string& level,
                           const std::string& tail, int depth) {
        std::string bytes = "TPF0" + head;
        for (int i = 0; i < depth; ++i)
            bytes += level;
        return bytes + tail;
    };
    struct Case {
        const char* name;
        std::string head, level, tail;
    };
    const std::string root = std::string("\x01"
                                         "A\x00",
                                         3);
    const Case cases[] = {
        {"lists", root + "\x01P", std::string(1, char(vaList)), ""},
        {"collections", root + "\x01P", std::string(1, char(vaCollection)) + char(vaList) + "\x01P",
         ""},
        {"components", "",
         std::string("\x01"
                     "A\x00\x00",
                     4),
         ""},
    };
    for (const Case& c : cases) {
        for (const int depth : {10, 100000}) {
            TMemoryStream s;
            const std::string bytes = stream(c.head, c.level, c.tail, depth);
            s.Write(bytes.data(), int64_t(bytes.size()));
            s.SetPosition(0);
            // Both end as damaged input (the shallow ones are cut short); only the deep one
            // says why.
            try {
                ReadComponentStream(s);
                ADD_FAILURE() << c.name;
            } catch (const EReadError& e) {
                EXPECT_EQ(e.Message().find("nesting") != std::string::npos, depth > 1000)
                    << c.name << " " << e.Message();
            }
        }
    }
}
