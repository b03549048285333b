// GDI+ through the C++ headers MinGW ships (they work with i686-w64-mingw32 and Wine's gdiplus).
#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
