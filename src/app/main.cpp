// VantoraGPS.exe: the program lives exactly as long as its import window.

#include <windows.h>

#include "app/application.h"
#include "ui/exception_boundary.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    // An exception that gets this far has nothing left to tell the user:
    // the windows are gone.
    return vantora::ui::resultOrFallbackOnException(0, [] {
        vantora::CVantoraGPSAppApp application;
        application.InitInstance();
        return 0;
    });
}
