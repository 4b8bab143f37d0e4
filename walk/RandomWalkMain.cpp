// The seeded random walk through Orvanti or Pelmora, run off screen in a folder of its own:
//   random_walk Orvanti|Pelmora [--seed N] [--steps N] [--seconds N] [--keep] [--counts FILE]
// The program's settings, home, temporary files and every file its dialogs name stay in
// that folder (removed at the end unless --keep). The walk prints its seed and each step;
// --seconds ends it early (the steps taken are printed, so the walk replays with --steps).
// At the end it prints how many times each kind of step ran (also written to FILE, a kind
// and its count a line, with --counts). A finding (an exception no program means to show,
// a window nothing can close, a modal loop without its window) ends the walk at its step
// with status 1.

#include "app/DataMod.h"
#include "app/DeviceSel.h"
#include "app/FormHolder.h"
#include "app/FormParts.h"
#include "app/LoadConst.h"
#include "chart/ChartConst.h"
#include "framework/core/FrameworkTexts.h"
#include "framework/core/SystemUtils.h"
#include "framework/gui/ListView.h"
#include "framework/gui/Printers.h"
#include "framework/gui/RandomWalk.h"
#include "framework/gui/TestKit.h"
#include "model/Data.h"
#include "windrose/WindRose.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace TestKit;

namespace {

struct TOptions {
    std::string Program;
    uint64_t Seed = 1;
    int Steps = 1000;
    int Seconds = 0;
    bool Keep = false;
    std::string Counts;
};

int Usage() {
    std::cerr << "usage: random_walk Orvanti|Pelmora [--seed N] [--steps N] [--seconds N] "
                 "[--keep] [--counts FILE]\n";
    return 2;
}

// The refusals both programs mean to show, beside the framework's own: a typed number out
// of its range, a typed text that is no number (with the range after it), a date the
// periods do not take, an hour factor outside 0 .. 1, and the values typed into the chart
// editor that the chart refuses (an axis minimum above its maximum, a negative increment,
// a percentage outside its range ...).
void AddProgramRefusals(TRandomWalk& walk) {
    walk.AddRefusal<EValueRange>();
    walk.AddRefusal<EConvertError>({std::string(FrameworkTexts::InvalidFloat) + ". %s",
                                    std::string(FrameworkTexts::InvalidInteger) + ". %s",
                                    "Ακατάλληλη μετατροπή ημερομηνίας %s"});
    walk.AddRefusal<Exception>({"Value must be between 0.00 - 1.00", SFunctionPeriod, SFillSample});
    walk.AddRefusal<AxisException>({SAxisMinMax, SAxisMaxMin, SAxisIncrementNegative, SAxisLabelSep,
                                    SAxisLogDateTime, SAxisLogNotPositive, SAxisLogBase});
    walk.AddRefusal<LegendException>({SLegendFirstValue, SLegendColorWidth, SLegendTopPos});
    walk.AddRefusal<BarException>({SBarWidthPercent, SBarOffsetPercent});
    walk.AddRefusal<ChartException>(
        {SPointerSize, SMaxPointsPerPage, SAngleRange, SChart3DPercent});
    walk.AddRefusal<PieException>({SAngleRange});
}

// The walk's folder: the program beside its data, the files its dialogs may open, and the
// settings, home and temporary folders.
struct TWalkFolder {
    fs::path Root, Program, Files;

    explicit TWalkFolder(const std::string& program) {
        const fs::path base = fs::temp_directory_path();
        std::string pattern = (base / ("walk-" + program + "-XXXXXX")).string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("cannot make a folder in " + base.string());
        Root = pattern;
        Program = Root / "program";
        Files = Root / "files";
        for (const char* sub : {"program", "files", "home", "tmp", "config"})
            fs::create_directories(Root / sub);
        fs::copy(APP_DATA_DIR, Program, fs::copy_options::recursive);
        // Something to open in every file dialog, good and bad.
        for (const char* name : {"default.dat", "default.pow", "default.pph", "example.tab"})
            fs::copy_file(fs::path(APP_DATA_DIR) / name, Files / name);
        fs::copy_file(fs::path(APP_DATA_DIR) / "devices" / "lamp.idev", Files / "lamp.idev");
        for (const char* name : {"malformed.tab", "nofreq.tab", "rose4.tab"})
            fs::copy_file(fs::path(WINDROSE_TEST_DATA_DIR) / name, Files / name);
        std::ofstream(Files / "broken.pow") << "wind\npower\n1 2 3\n";
        std::ofstream(Files / "empty.dat");
        std::ofstream(Files / "periods.ssn") << "[Seasons]\nCount=2\n";
        setenv("HKCU_STORE", (Root / "config" / "hkcu.store").c_str(), 1);
        setenv("HOME", (Root / "home").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (Root / "config").c_str(), 1);
        setenv("TMPDIR", (Root / "tmp").c_str(), 1);
        if (chdir(Files.c_str()) != 0)
            throw std::runtime_error("cannot enter " + Files.string());
    }
};

// ---- Orvanti

void StartOrvanti() {
    InitModel();
    CreateProgramWindows();
    fmHolder->Show();
    ProcessMessages();
    Application->Idle();
}

void StopOrvanti() {
    FreeProgramWindows();
    ProcessMessages();
    FinalizeModel();
}

std::string PointText(TPoint p) {
    return std::to_string(p.X) + "," + std::to_string(p.Y);
}

// Clicks a view's item in the view list, as a user switches views.
std::string SwitchView(TRandomWalk& walk) {
    if (Application->ModalLevel() > 0 || !fmHolder)
        return "";
    TFxOutlookList* list = fmHolder->fxOutlookBar1OutlookList1;
    const int count = list->Items()->Count();
    TFxOutlookListItem* item = list->Items()->Items(walk.Below(count));
    const TRect r = item->HitRect();
    if (r.IsEmpty())
        return "";
    const TPoint at((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    walk.Log("      click view \"" + item->Text() + "\" at " + PointText(at));
    ClickAt(list, at);
    return "view";
}

// Drags a catalogue device onto the device list, or a row of the list somewhere, now and
// then ended by Esc before the drop.
std::string DragDevice(TRandomWalk& walk) {
    auto* view = fmHolder && Application->ModalLevel() == 0
                     ? dynamic_cast<TfmLoadConstr*>(fmHolder->CurrentView())
                     : nullptr;
    if (!view || !view->DevSel() || !view->gdDevices->Showing())
        return "";
    TListView* list = view->DevSel()->ListView1;
    TExDrawGrid* grid = view->gdDevices;
    TControl* source = list;
    TPoint from;
    if (walk.Chance(75) && list->Showing()) {
        std::vector<int> shown;
        for (int i = 0; i < list->ItemCount(); ++i)
            if (TRect r; IntersectRect(r, list->ItemRect(i), list->ClientRect()))
                shown.push_back(i);
        if (shown.empty())
            return "";
        const int i = shown[size_t(walk.Below(int(shown.size())))];
        TRect r;
        IntersectRect(r, list->ItemRect(i), list->ClientRect());
        from = TPoint(r.Left + walk.Below(std::max(1, r.Width())),
                      r.Top + walk.Below(std::max(1, r.Height())));
        walk.Log("      drag catalogue item " + std::to_string(i) + " at " + PointText(from));
    } else {
        source = grid;
        const int row = walk.Below(grid->RowCount());
        const int col = walk.Below(grid->ColCount());
        const TRect r = grid->CellRect(col, row);
        from = TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
        walk.Log("      drag grid cell " + std::to_string(col) + "," + std::to_string(row) +
                 " at " + PointText(from));
    }
    // Mostly onto a grid cell, else anywhere over the view.
    TPoint target;
    TControl* over = grid;
    if (walk.Chance(70)) {
        const int row = walk.Below(grid->RowCount() + 1);
        const TRect r =
            grid->CellRect(walk.Below(grid->ColCount()), std::min(row, grid->RowCount() - 1));
        target = TPoint((r.Left + r.Right) / 2,
                        (r.Top + r.Bottom) / 2 + (row == grid->RowCount() ? r.Height() : 0));
    } else {
        over = view;
        target = TPoint(walk.Below(std::max(1, view->ClientWidth())),
                        walk.Below(std::max(1, view->ClientHeight())));
    }
    const TPoint to = source->ScreenToClient(over->ClientToScreen(target));
    if (walk.Chance(20)) {
        walk.Log("      to " + TRandomWalk::NameOf(over) + " " + PointText(target) +
                 ", Esc before the drop");
        const TPoint a = source->ClientToScreen(from), b = source->ClientToScreen(to);
        MouseDown(source, from);
        for (int i = 1; i <= 3; ++i)
            MouseMove(fmHolder, fmHolder->ScreenToClient(
                                    TPoint(a.X + (b.X - a.X) * i / 3, a.Y + (b.Y - a.Y) * i / 3)));
        PressKey(VK_ESCAPE);
        MouseUp(fmHolder, fmHolder->ScreenToClient(b));
    } else {
        walk.Log("      to " + TRandomWalk::NameOf(over) + " " + PointText(target));
        Drag(source, from, to, mbLeft, 2 + walk.Below(4));
    }
    return "drag";
}

// ---- Pelmora

void StartPelmora() {
    CreateRoseWindows();
    Form1->Show();
    ProcessMessages();
    Application->Idle();
}

void StopPelmora() {
    if (!Form1)
        return;
    FreeRoseWindows();
    ProcessMessages();
}

} // namespace

int main(int argc, char** argv) {
    TOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto number = [&](auto& into) {
            if (i + 1 >= argc)
                return false;
            into = std::strtoull(argv[++i], nullptr, 10);
            return true;
        };
        if (a == "--seed") {
            if (!number(options.Seed))
                return Usage();
        } else if (a == "--steps") {
            if (!number(options.Steps))
                return Usage();
        } else if (a == "--seconds") {
            if (!number(options.Seconds))
                return Usage();
        } else if (a == "--keep") {
            options.Keep = true;
        } else if (a == "--counts") {
            if (i + 1 >= argc)
                return Usage();
            options.Counts = argv[++i];
        } else if (options.Program.empty() && (a == "Orvanti" || a == "Pelmora")) {
            options.Program = a;
        } else {
            return Usage();
        }
    }
    if (options.Program.empty())
        return Usage();
    const bool orvanti = options.Program == "Orvanti";

    if (!options.Counts.empty()) {
        // Named before the walk enters its folder; a walk that does not end leaves none.
        options.Counts = fs::absolute(options.Counts).string();
        fs::remove(options.Counts);
    }
    TWalkFolder folder(options.Program);
    std::cout << "random walk through " << options.Program << ", seed " << options.Seed
              << ", up to " << options.Steps << " steps, in " << folder.Root.string() << std::endl;
    SetProgramFileName((folder.Program / options.Program).string());
    StartTestApplication();
    // Printing goes to the PDF file printer, into the walk's folder.
    Printer()->SetPrinterIndex(Printer()->Printers()->IndexOf(kPdfPrinterName));
    Printer()->SetPdfFileName((folder.Files / "printed.pdf").string());

    TRandomWalk walk(options.Seed, folder.Files.string(), std::cout);
    AddProgramRefusals(walk);
    if (orvanti) {
        StartOrvanti();
        walk.AddAction("view", 6, SwitchView);
        walk.AddAction("device drag", 3, DragDevice);
        walk.SetRestart([] {
            StopOrvanti();
            Application->ClearTerminated();
            StartOrvanti();
        });
    } else {
        StartPelmora();
        walk.SetRestart([] {
            StopPelmora();
            Application->ClearTerminated();
            StartPelmora();
        });
    }
    const auto start = std::chrono::steady_clock::now();
    std::function<bool()> stop;
    if (options.Seconds > 0)
        stop = [&] {
            return std::chrono::steady_clock::now() - start >=
                   std::chrono::seconds(options.Seconds);
        };
    const int taken = walk.Run(options.Steps, stop);
    if (orvanti)
        StopOrvanti();
    else
        StopPelmora();
    walk.PrintCounts(std::cout);
    if (!options.Counts.empty()) {
        std::ofstream counts(options.Counts);
        for (const auto& [kind, n] : walk.Counts())
            counts << kind << "\t" << n << "\n";
    }
    const bool found = !walk.Findings().empty();
    std::cout << (found ? "walk FAILED: " : "walk ended: ") << options.Program << " seed "
              << options.Seed << ", " << taken << " steps (replay: random_walk " << options.Program
              << " --seed " << options.Seed << " --steps " << taken << ")" << std::endl;
    for (const std::string& finding : walk.Findings())
        std::cout << finding << std::endl;
    if (!options.Keep) {
        std::error_code ec;
        fs::remove_all(folder.Root, ec);
    }
    return found ? 1 : 0;
}
