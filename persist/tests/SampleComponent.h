#pragma once
// A component with a published property of every kind the property storage handles.

#include "framework/core/Classes.h"
#include "framework/core/TypeInfo.h"

#include <cstdint>
#include <string>

namespace PersistTest {

enum TSampleKind { skAlpha, skBeta, skGamma, skDelta };
using TSampleKinds = TSet<TSampleKind>;
inline const TTypeInfo kSampleKindType =
    MakeEnumType("TSampleKind", {"skAlpha", "skBeta", "skGamma", "skDelta"});
inline const TTypeInfo kSampleKindsType = MakeSetType("TSampleKinds", &kSampleKindType);

class TSampleColumn : public TCollectionItem {
    ORV_CLASS(TSampleColumn, TCollectionItem)
public:
    explicit TSampleColumn(TCollection* collection) : TCollectionItem(collection) {}
    static void Publish(TPublisher<TSampleColumn>& p) {
        p.Integer("Width", &TSampleColumn::Width, &TSampleColumn::SetWidth).Default(50);
        p.String("Caption", &TSampleColumn::Caption, &TSampleColumn::SetCaption);
    }
    int Width() const { return FWidth; }
    void SetWidth(int v) { FWidth = v; }
    std::string Caption() const { return FCaption; }
    void SetCaption(const std::string& v) { FCaption = v; }

private:
    int FWidth = 50;
    std::string FCaption;
};

// A nested persistent object with properties of its own.
class TSampleFont : public TPersistent {
    ORV_CLASS(TSampleFont, TPersistent)
public:
    static void Publish(TPublisher<TSampleFont>& p) {
        p.Integer("Size", &TSampleFont::Size, &TSampleFont::SetSize);
    }
    int Size() const { return FSize; }
    void SetSize(int v) { FSize = v; }

private:
    int FSize = 8;
};

class TSample : public TComponent {
    ORV_CLASS(TSample, TComponent)
public:
    explicit TSample(TComponent* owner)
        : TComponent(owner), FColumns(TSampleColumn::StaticClass(), this) {}
    static void Publish(TPublisher<TSample>& p) {
        p.String("Folder", &TSample::Folder, &TSample::SetFolder);
        p.Set("Kinds", &kSampleKindsType, &TSample::Kinds, &TSample::SetKinds);
        p.Enum("Kind", &kSampleKindType, &TSample::Kind, &TSample::SetKind);
        p.Float("Ratio", &TSample::Ratio, &TSample::SetRatio);
        p.Float("Single", &TSample::SingleValue, &TSample::SetSingleValue, TypeInfoSingle());
        p.Integer("Count", &TSample::Count, &TSample::SetCount);
        p.Int64("Big", &TSample::Big, &TSample::SetBig);
        p.Char("Letter", &TSample::Letter, &TSample::SetLetter);
        p.Bool("Flag", &TSample::Flag, &TSample::SetFlag);
        p.Class("Lines", TStrings::StaticClass(), &TSample::Lines, nullptr);
        p.Class("Columns", TCollection::StaticClass(), &TSample::Columns, nullptr);
        p.Class("Font", TSampleFont::StaticClass(), &TSample::Font, nullptr);
        p.Class("Buddy", TComponent::StaticClass(), &TSample::Buddy, &TSample::SetBuddy);
        p.Event("OnChange", &TSample::OnChange, &TSample::SetOnChange);
    }
    std::string Folder() const { return FFolder; }
    void SetFolder(const std::string& v) { FFolder = v; }
    TSampleKinds Kinds() const { return FKinds; }
    void SetKinds(TSampleKinds v) { FKinds = v; }
    TSampleKind Kind() const { return FKind; }
    void SetKind(TSampleKind v) { FKind = v; }
    double Ratio() const { return FRatio; }
    void SetRatio(double v) { FRatio = v; }
    float SingleValue() const { return FSingle; }
    void SetSingleValue(float v) { FSingle = v; }
    int Count() const { return FCount; }
    void SetCount(int v) { FCount = v; }
    int64_t Big() const { return FBig; }
    void SetBig(int64_t v) { FBig = v; }
    char Letter() const { return FLetter; }
    void SetLetter(char v) { FLetter = v; }
    bool Flag() const { return FFlag; }
    void SetFlag(bool v) { FFlag = v; }
    TStringList* Lines() const { return &FLines; }
    TCollection* Columns() const { return &FColumns; }
    TSampleFont* Font() const { return &FFont; }
    TComponent* Buddy() const { return FBuddy; }
    void SetBuddy(TComponent* v) { FBuddy = v; }
    const TNotifyEvent& OnChange() const { return FOnChange; }
    void SetOnChange(TNotifyEvent v) { FOnChange = std::move(v); }

private:
    std::string FFolder;
    TSampleKinds FKinds;
    TSampleKind FKind = skAlpha;
    double FRatio = 0;
    float FSingle = 0;
    int FCount = 0;
    int64_t FBig = 0;
    char FLetter = 'a';
    bool FFlag = false;
    mutable TStringList FLines;
    mutable TCollection FColumns;
    mutable TSampleFont FFont;
    TComponent* FBuddy = nullptr;
    TNotifyEvent FOnChange;
};

} // namespace PersistTest
