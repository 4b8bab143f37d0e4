// Orvanti: the model starts with its default files, then the data module and the main
// window are created and the message loop runs until the main window closes.
//
// With ORV_QUIT_AFTER_FIRST_PAINT set, the program ends once its main window has been
// painted for the first time (to time the start-up). With ORV_SHOT_AFTER_FIRST_PAINT naming
// a file, the main window is first written there as a PNG picture.

#include "app/DataMod.h"
#include "app/FormHolder.h"
#include "framework/gui/Forms.h"
#include "framework/gui/Snapshot.h"
#include "model/Data.h"

#include <cstdlib>
#include <string>

int main() {
    InitModel();
    Application->Initialize();
    CreateProgramWindows();
    if (!fmHolder) { // the reason has been shown
        FreeProgramWindows();
        FinalizeModel();
        return 1;
    }
    if (const char* shot = std::getenv("ORV_SHOT_AFTER_FIRST_PAINT"); shot && *shot)
        WhenFirstPainted(fmHolder, [shot] {
            // The picture is taken when the program is next idle, after the painting.
            static int key = 0;
            Application->AddIdleHandler(&key, [shot] {
                const std::string file = shot;
                Application->RemoveIdleHandler(&key);
                SaveSnapshotToPng(fmHolder, file);
                Application->Terminate();
            });
        });
    else if (const char* quit = std::getenv("ORV_QUIT_AFTER_FIRST_PAINT"); quit && *quit)
        WhenFirstPainted(fmHolder, [] { Application->Terminate(); });
    const int exitCode = Application->Run();
    FreeProgramWindows();
    FinalizeModel();
    return exitCode;
}
