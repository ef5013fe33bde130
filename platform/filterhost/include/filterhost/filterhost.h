#pragma once
// The filter plug-in interface that a host program and the plug-ins it loads
// share: the parameter record the host fills for every call, the callback
// suites it offers, and the codes both sides use.
//
// Records keep the published field order and field types. Fields that carry
// a pointer are pointer-sized, so the byte offsets are not those of the
// 32-bit layout; nothing here may depend on them.
#include "win32/types.h"

#include <cstddef>
#include <cstdint>

// ---- Four-character codes ---------------------------------------------------
// The code as the big-endian number of its four characters: 'lvAU' is
// 0x6C764155.
constexpr uint32_t FourCC(const char (&code)[5])
{
  return (static_cast<uint32_t>(static_cast<unsigned char>(code[0])) << 24) |
         (static_cast<uint32_t>(static_cast<unsigned char>(code[1])) << 16) |
         (static_cast<uint32_t>(static_cast<unsigned char>(code[2])) << 8) |
         static_cast<uint32_t>(static_cast<unsigned char>(code[3]));
}
static_assert(FourCC("lvAU") == 0x6C764155u);

// ---- Codes ------------------------------------------------------------------
constexpr int16_t filterSelectorAbout = 0;
constexpr int16_t filterSelectorParameters = 1;
constexpr int16_t filterSelectorPrepare = 2;
constexpr int16_t filterSelectorStart = 3;
constexpr int16_t filterSelectorContinue = 4;
constexpr int16_t filterSelectorFinish = 5;

// Results of the entry point and of the host's procedures.
constexpr int16_t noErr = 0;
constexpr int16_t memFullErr = -108;         // out of memory
constexpr int16_t nilHandleErr = -109;       // a null or unknown handle
constexpr int16_t nilHandleResizeErr = -111; // a null handle given to a resize
constexpr int16_t userCanceledErr = -128;    // cancelled, or the plug-in cannot run here
constexpr int16_t filterBadParameters = -30100;

// Image modes the plug-in works in (others exist and are refused).
constexpr int16_t plugInModeGrayScale = 1;
constexpr int16_t plugInModeRGBColor = 3;
constexpr int16_t plugInModeCMYKColor = 4;

// Colour services: what to do, and the colour spaces of a conversion.
constexpr int16_t colorServicesChooseColor = 0;
constexpr int16_t colorServicesConvertColor = 1;
constexpr int16_t colorSpaceRGB = 0;
constexpr int16_t colorSpaceCMYK = 2;

// What the host wants of the plug-in's dialog when it replays a recording.
constexpr int16_t playInfoDontDisplay = 0;
constexpr int16_t playInfoDisplay = 1;
constexpr int16_t playInfoSilent = 2;

// ---- Rectangles -------------------------------------------------------------
struct Rect16 {
  int16_t top;
  int16_t left;
  int16_t bottom;
  int16_t right;
};
struct Rect32 {
  int32_t top;
  int32_t left;
  int32_t bottom;
  int32_t right;
};

// ---- Handles ----------------------------------------------------------------
// A handle points at a pointer to the data: *h is the data.
typedef char* Ptr;
typedef Ptr* Handle;

struct HandleProcs {
  int16_t handleProcsVersion; // 1
  int16_t numHandleProcs;     // 7
  Handle (*newProc)(int32_t size);
  void (*disposeProc)(Handle h);
  int32_t (*getSizeProc)(Handle h);
  int16_t (*setSizeProc)(Handle h, int32_t newSize);
  Ptr (*lockProc)(Handle h, uint8_t moveHigh);
  void (*unlockProc)(Handle h);
  void (*reservedProc)(); // never called by this system
};
constexpr int16_t kHandleProcsVersion = 1;
constexpr int16_t kHandleProcsCount = 7;

// ---- Descriptors (scripting parameters) -------------------------------------
// Tokens are opaque: the host knows what they stand for, the plug-in only
// hands them back.
typedef struct PIOpaqueReadDescriptor* PIReadDescriptor;
typedef struct PIOpaqueWriteDescriptor* PIWriteDescriptor;
// Slots of the suites that this system never calls.
typedef int16_t (*UnusedDescriptorProc)();

struct ReadDescriptorProcs {
  int16_t readDescriptorProcsVersion; // 0
  int16_t numReadDescriptorProcs;     // 18
  // `keys` lists the keys the plug-in understands, ending with 0.
  PIReadDescriptor (*openReadDescriptorProc)(Handle descriptor, const uint32_t* keys);
  int16_t (*closeReadDescriptorProc)(PIReadDescriptor token);
  // Non-zero while an entry was produced; it becomes the current entry.
  uint8_t (*getKeyProc)(PIReadDescriptor token, uint32_t* key, uint32_t* type, int32_t* flags);
  int16_t (*getIntegerProc)(PIReadDescriptor token, int32_t* value);
  int16_t (*getFloatProc)(PIReadDescriptor token, double* value);
  int16_t (*getBooleanProc)(PIReadDescriptor token, uint8_t* value);
  UnusedDescriptorProc unusedProcs[12];
};

struct WriteDescriptorProcs {
  int16_t writeDescriptorProcsVersion; // 0
  int16_t numWriteDescriptorProcs;     // 16
  PIWriteDescriptor (*openWriteDescriptorProc)();
  int16_t (*closeWriteDescriptorProc)(PIWriteDescriptor token, Handle* descriptor);
  int16_t (*putIntegerProc)(PIWriteDescriptor token, uint32_t key, int32_t value);
  int16_t (*putFloatProc)(PIWriteDescriptor token, uint32_t key, const double* value);
  int16_t (*putBooleanProc)(PIWriteDescriptor token, uint32_t key, uint8_t value);
  UnusedDescriptorProc unusedProcs[11];
};
constexpr int16_t kDescriptorParametersVersion = 0;
constexpr int16_t kReadDescriptorProcsVersion = 0;
constexpr int16_t kReadDescriptorProcsCount = 18;
constexpr int16_t kWriteDescriptorProcsVersion = 0;
constexpr int16_t kWriteDescriptorProcsCount = 16;

// Types of descriptor entries.
constexpr uint32_t typeBoolean = FourCC("bool");
constexpr uint32_t typeInteger = FourCC("long");
constexpr uint32_t typeFloat = FourCC("doub");

struct PIDescriptorParameters {
  int16_t descriptorParametersVersion; // 0
  int16_t playInfo;                    // playInfoDontDisplay, ...Display or ...Silent
  int16_t recordInfo;
  Handle descriptor; // the parameters given or recorded; null for none
  WriteDescriptorProcs* writeDescriptorProcs;
  ReadDescriptorProcs* readDescriptorProcs;
};

// ---- Colour services --------------------------------------------------------
struct ColorServicesInfo {
  int32_t infoSize; // sizeof(ColorServicesInfo)
  int16_t selector; // colorServicesChooseColor or colorServicesConvertColor
  int16_t sourceSpace;
  int16_t resultSpace;
  uint8_t resultGamutValid;
  uint8_t resultInGamut;
  void* reservedSourceInfo;
  void* reservedResultInfo;
  int16_t colorComponents[4];
  void* reserved;
  void* selectorParameter; // the colour picker's prompt; null for none
};

// ---- Pixel maps for host drawing --------------------------------------------
struct PSPixelMask {
  PSPixelMask* next;
  void* maskData;
  int32_t rowBytes;
  int32_t colBytes;
  int32_t maskDescription;
};

// Pixel (r, c) of plane p lies at baseAddr + (r - bounds.top) * rowBytes +
// (c - bounds.left) * colBytes + p * planeBytes.
struct PSPixelMap {
  int32_t version; // 1
  Rect32 bounds;
  int32_t imageMode;
  int32_t rowBytes;
  int32_t colBytes;
  int32_t planeBytes;
  void* baseAddr;
  void* mat;
  PSPixelMask* masks;
  int32_t maskPhaseRow;
  int32_t maskPhaseCol;
};

// ---- The filter record ------------------------------------------------------
// What platformData points at: the host's window comes first.
struct PlatformData {
  HWND hwnd;
};

typedef uint8_t (*TestAbortProc)();
typedef void (*ProgressProc)(int32_t done, int32_t total);
typedef int16_t (*DisplayPixelsProc)(const PSPixelMap* source, const Rect32* srcRect, int32_t dstRow, int32_t dstCol,
                                     void* platformContext);
typedef int16_t (*AdvanceStateProc)();
typedef int16_t (*ColorServicesProc)(ColorServicesInfo* info);

struct FilterRecord {
  TestAbortProc abortProc;
  ProgressProc progressProc;
  int16_t planes;
  Rect16 filterRect;
  int32_t bufferSpace;
  Rect16 inRect;
  int16_t inLoPlane;
  int16_t inHiPlane;
  Rect16 outRect;
  int16_t outLoPlane;
  int16_t outHiPlane;
  void* inData;
  int32_t inRowBytes;
  void* outData;
  int32_t outRowBytes;
  Rect16 maskRect;
  int16_t imageMode;
  PlatformData* platformData;
  DisplayPixelsProc displayPixels;
  AdvanceStateProc advanceState;
  int16_t inputPadding;
  int16_t outputPadding;
  int32_t inputRate; // 16.16 fixed point
  int32_t maskRate;  // 16.16 fixed point
  ColorServicesProc colorServices;
  int16_t inTransparencyMask;
  PIDescriptorParameters* descriptorParameters;
  HandleProcs* handleProcs;
};

// The published order of the fields (not their offsets).
#define LVX_FILTERHOST_BEFORE(a, b) static_assert(offsetof(FilterRecord, a) < offsetof(FilterRecord, b))
LVX_FILTERHOST_BEFORE(abortProc, progressProc);
LVX_FILTERHOST_BEFORE(progressProc, planes);
LVX_FILTERHOST_BEFORE(planes, filterRect);
LVX_FILTERHOST_BEFORE(filterRect, bufferSpace);
LVX_FILTERHOST_BEFORE(bufferSpace, inRect);
LVX_FILTERHOST_BEFORE(inRect, inLoPlane);
LVX_FILTERHOST_BEFORE(inLoPlane, inHiPlane);
LVX_FILTERHOST_BEFORE(inHiPlane, outRect);
LVX_FILTERHOST_BEFORE(outRect, outLoPlane);
LVX_FILTERHOST_BEFORE(outLoPlane, outHiPlane);
LVX_FILTERHOST_BEFORE(outHiPlane, inData);
LVX_FILTERHOST_BEFORE(inData, inRowBytes);
LVX_FILTERHOST_BEFORE(inRowBytes, outData);
LVX_FILTERHOST_BEFORE(outData, outRowBytes);
LVX_FILTERHOST_BEFORE(outRowBytes, maskRect);
LVX_FILTERHOST_BEFORE(maskRect, imageMode);
LVX_FILTERHOST_BEFORE(imageMode, platformData);
LVX_FILTERHOST_BEFORE(platformData, displayPixels);
LVX_FILTERHOST_BEFORE(displayPixels, advanceState);
LVX_FILTERHOST_BEFORE(advanceState, inputPadding);
LVX_FILTERHOST_BEFORE(inputPadding, outputPadding);
LVX_FILTERHOST_BEFORE(outputPadding, inputRate);
LVX_FILTERHOST_BEFORE(inputRate, maskRate);
LVX_FILTERHOST_BEFORE(maskRate, colorServices);
LVX_FILTERHOST_BEFORE(colorServices, inTransparencyMask);
LVX_FILTERHOST_BEFORE(inTransparencyMask, descriptorParameters);
LVX_FILTERHOST_BEFORE(descriptorParameters, handleProcs);
#undef LVX_FILTERHOST_BEFORE

// The one export of a filter plug-in, named by the 'wx86' property.
typedef void (*FilterEntryProc)(int16_t selector, FilterRecord* record, intptr_t* data, int16_t* result);

// ---- Other suites -----------------------------------------------------------
// Suites that the plug-in's utility layer can check and call when a host
// hands them over. The filter record above carries none of them.
typedef struct PIOpaqueBuffer* BufferID;

struct BufferProcs {
  int16_t bufferProcsVersion; // 2
  int16_t numBufferProcs;     // 5
  int16_t (*allocateProc)(int32_t size, BufferID* buffer);
  Ptr (*lockProc)(BufferID buffer, uint8_t moveHigh);
  void (*unlockProc)(BufferID buffer);
  void (*freeProc)(BufferID buffer);
  int32_t (*spaceProc)();
};

struct ResourceProcs {
  int16_t resourceProcsVersion; // 3
  int16_t numResourceProcs;     // 4
  int16_t (*countProc)(uint32_t type);
  Handle (*getProc)(uint32_t type, int16_t index);
  void (*deleteProc)(uint32_t type, int16_t index);
  int16_t (*addProc)(uint32_t type, Handle data);
};

struct PropertyProcs {
  int16_t propertyProcsVersion; // 1
  int16_t numPropertyProcs;     // 2
  int16_t (*getPropertyProc)(uint32_t signature, uint32_t key, int32_t index, intptr_t* simpleProperty,
                             Handle* complexProperty);
  int16_t (*setPropertyProc)(uint32_t signature, uint32_t key, int32_t index, intptr_t simpleProperty,
                             Handle complexProperty);
};
