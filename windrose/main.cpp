// Pelmora: the data module and the main window are created and the message loop runs
// until the main window closes.

#include "framework/gui/Forms.h"
#include "windrose/WindRose.h"

int main() {
    Application->Initialize();
    CreateRoseWindows();
    const int exitCode = Application->Run();
    FreeRoseWindows();
    return exitCode;
}
