// The cheapest GUI program: the baseline a start of Kest is measured against.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return 0; }
