#pragma once
// The interface of checkDeviceDll.dll. The program does not link against it:
// it loads the library by name and looks the function up for every check,
// so that it still starts, and merely finds no unit, when the library is
// missing.

#include <windows.h>

extern "C" {

// 1 when the drive 'A'..'Z' (or 'a'..'z') is removable and its volume label
// equals the zero-terminated identifier, ignoring case; otherwise 0. The
// identifier is only read.
int WINAPI DllCheckDevice(int driveLetter, wchar_t* identifier);

// The type of DllCheckDevice as GetProcAddress hands it out.
typedef int(WINAPI* DllCheckDeviceFunction)(int driveLetter, wchar_t* identifier);
}
