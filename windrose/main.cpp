// Pelmora: the data module and the main window are created and the message loop runs
// until the main window closes.
//
// With ORV_QUIT_AFTER_FIRST_PAINT set, the program ends once its main window has been
// painted for the first time (to time the start-up).

#include "framework/gui/Forms.h"
#include "windrose/WindRose.h"

#include <cstdlib>

int main() {
    Application->Initialize();
    CreateRoseWindows();
    if (const char* quit = std::getenv("ORV_QUIT_AFTER_FIRST_PAINT"); quit && *quit && Form1)
        WhenFirstPainted(Form1, [] { Application->Terminate(); });
    const int exitCode = Application->Run();
    FreeRoseWindows();
    return exitCode;
}
