// The program's entry point: the one application object runs.
#include "workbench/app/ZarvoDApp.h"

namespace {
CZarvoDApp theApp;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) { return theApp.Main(instance); }
