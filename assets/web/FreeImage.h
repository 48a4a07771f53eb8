#pragma once
// The part of FreeImage's interface the viewer's loaders call, for the browser build,
// which has no FreeImage: assets/texturesWeb.cpp answers it with stb_image. Bitmaps are
// laid out as FreeImage lays out 24-bit ones (bottom row first, rows padded to 4 bytes),
// except that the bytes of a pixel come in RGB order.
typedef unsigned char BYTE;
typedef int BOOL;
#ifndef FALSE
#define FALSE 0
#endif
#ifndef TRUE
#define TRUE 1
#endif

enum FREE_IMAGE_FORMAT { FIF_UNKNOWN = -1, FIF_BMP = 0, FIF_JPEG = 2, FIF_PNG = 13 };
enum FREE_IMAGE_TYPE { FIT_UNKNOWN = 0, FIT_BITMAP = 1 };

struct FIBITMAP;
typedef void (*FreeImage_OutputMessageFunction)(FREE_IMAGE_FORMAT format, const char* message);

void FreeImage_Initialise(BOOL loadLocalPluginsOnly = FALSE);
void FreeImage_SetOutputMessage(FreeImage_OutputMessageFunction function);
FREE_IMAGE_TYPE FreeImage_GetImageType(FIBITMAP* image);
unsigned FreeImage_GetBPP(FIBITMAP* image);
FIBITMAP* FreeImage_ConvertTo24Bits(FIBITMAP* image);
void FreeImage_Unload(FIBITMAP* image);
BYTE* FreeImage_GetBits(FIBITMAP* image);
unsigned FreeImage_GetWidth(FIBITMAP* image);
unsigned FreeImage_GetHeight(FIBITMAP* image);
