// Orvanti: the model starts with its default files, then the data module and the main
// window are created and the message loop runs until the main window closes.
//
// With ORV_QUIT_AFTER_FIRST_PAINT set, the program ends once its main window has been
// painted for the first time (to time the start-up).

#include "app/DataMod.h"
#include "app/FormHolder.h"
#include "framework/gui/Forms.h"
#include "model/Data.h"

#include <cstdlib>

int main() {
    InitModel();
    Application->Initialize();
    CreateProgramWindows();
    if (!fmHolder) { // the reason has been shown
        FreeProgramWindows();
        FinalizeModel();
        return 1;
    }
    if (const char* quit = std::getenv("ORV_QUIT_AFTER_FIRST_PAINT"); quit && *quit)
        WhenFirstPainted(fmHolder, [] { Application->Terminate(); });
    const int exitCode = Application->Run();
    FreeProgramWindows();
    FinalizeModel();
    return exitCode;
}
