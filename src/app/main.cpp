// VantoraGPS.exe: the program lives exactly as long as its import window.

#include <windows.h>

#include "app/application.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    try {
        vantora::CVantoraGPSAppApp application;
        application.InitInstance();
    } catch (...) {
        // Nothing is left to tell the user: the windows are gone.
    }
    return 0;
}
