#pragma once
// The data module shared by the windows: the tool-bar image lists (hot, normal, disabled),
// the device icons in two sizes, the open dialogs of power curves and device lists, and a
// form storage that remembers the two dialogs' folders between runs.
//
// The same layout serves both programs: Orvanti's module adds the two dialog operations
// (SelectPowerCurve, SelectDevListFile); Pelmora's tool-bar lists hold 15 images instead
// of 16 and it has no use for the dialogs.

#include "framework/core/Classes.h"
#include "framework/gui/Dialogs.h"
#include "framework/gui/Forms.h"
#include "framework/gui/ImageList.h"
#include "persist/Placement.h"

#include <memory>
#include <string>

class TWindPwrCurve;

enum class TdmVariant { Orvanti, Pelmora };

// Image sizes of the lists.
inline constexpr int ToolImageWidth = 22;
inline constexpr int ToolImageHeight = 20;
inline constexpr int DeviceImageCount = 16;

// Indexes of the tool-bar images (the same in the hot, normal and disabled lists).
enum TToolImage {
    tiCopy = 0,
    tiProperties = 1,
    tiPrint = 2,
    tiWindGenerator = 3,
    tiGraph = 4,
    tiLargeIcons = 5,
    tiSmallIcons = 6,
    tiDevices = 7,
    tiList = 8,
    tiOpen = 9,
    tiDelete = 10,
    tiSave = 11,
    tiInsert = 12,
    tiBattery = 13,
    tiCatalog = 14,
    tiBack = 15,
};

class Tdm : public TDataModule {
    ORV_CLASS(Tdm, TDataModule)
public:
    // Orvanti's module.
    explicit Tdm(TComponent* owner);
    Tdm(TComponent* owner, TdmVariant variant);

    TdmVariant Variant() const { return FVariant; }
    // 16 in Orvanti, 15 in Pelmora.
    static int ToolImageCount(TdmVariant variant) {
        return variant == TdmVariant::Orvanti ? 16 : 15;
    }

    // ---- Components
    TImageList* ieHots = nullptr;         // hot tool-bar images, also most action lists' images
    TImageList* ieGrays = nullptr;        // normal tool-bar images
    TImageList* ieDisabled = nullptr;     // disabled tool-bar images
    TImageList* LargeImages = nullptr;    // device icons 32 x 32, by TDeviceEl::ImageIndex
    TImageList* SmallImages = nullptr;    // the same icons 16 x 16
    TOpenDialog* SelWGDlg = nullptr;      // "Καμπύλη Ισχύος Α/Γ|*.pow"
    TOpenDialog* SelDevListDlg = nullptr; // "Λίστα Συσκευών|*.dvl"
    TFormStorage* Storage = nullptr;      // remembers both dialogs' InitialDir

    // ---- Handlers
    // OnCreate: the dialogs start in the folders of the previous run.
    void dmCreate(TObject* sender);
    // OnDestroy: remembers the dialogs' folders.
    void dmDestroy(TObject* sender);

    // ---- Orvanti's operations (EInvalidOperation in Pelmora's module)
    // Runs SelWGDlg; nullptr on Cancel. On OK a new curve read from the chosen file, which
    // the caller owns; the dialog then starts in that file's folder. A file that cannot be
    // read raises the reader's error: no curve, and the folder stays.
    std::unique_ptr<TWindPwrCurve> SelectPowerCurve();
    // Runs SelDevListDlg: fileName is the chosen file (the dialog then starts in its
    // folder), or "" on Cancel.
    void SelectDevListFile(std::string& fileName);

private:
    void Build();
    void CheckOrvanti() const;
    TdmVariant FVariant;
};

// The program's data module, created by the program block before the main window.
extern Tdm* dm;

// The folder of a file: the path without its last component and without a trailing
// delimiter (the root keeps its "/").
std::string FileFolder(const std::string& fileName);
