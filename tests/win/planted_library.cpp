// Stands for a DLL that an attacker leaves beside a downloaded program: loading it leaves a
// mark, so a test can tell whether it was loaded.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) SetEnvironmentVariableA("MERVANTIS_PLANTED_LOADED", "1");
  return TRUE;
}
