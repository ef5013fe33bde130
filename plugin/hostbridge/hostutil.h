#pragma once
// Helpers around the host's callback suites: presence and version checks
// (optionally alerting the user), wrappers that call a suite procedure only
// when the suite passed its check, a handle suite that falls back to the
// plug-in's own handles, and string, number, resource and alert helpers.
//
// Every check answers false instead of calling through a missing procedure.
// A suite whose version is above the one required fails and sets the
// caller's too-new flag (when one is given); a lower version fails quietly.
// Counts are compared as signed numbers, so a negative count fails.
#include "filterhost/filterhost.h"
#include "hostmemory.h"

#include <cstdint>
#include <initializer_list>
#include <string>

namespace hostif {

// The plug-in's messages (string table of the module that carries this code).
enum : uint16_t {
  kMessageIntegerRange = 16990, // "An integer is required between ^1 and ^2."
  kMessageDecimalRange = 16991, // "A decimal number is required between ^1 and ^2."
  kMessageHostTooOld = 16992,   // "... requires ... ^1 or later functionality."
  kMessageHostTooNew = 16993,   // "... incompatible with this version of the host program."
};

// The load base of the module this code is linked into: where its own
// resources are registered.
HMODULE ThisModule();

// ---- Descriptor suites ------------------------------------------------------
// True only for parameters of version 0 whose read and write suites are both
// present, of version 0, with at least 18 and 16 procedures, none of them null.
bool CheckDescriptorSuites(const PIDescriptorParameters* parameters, bool* tooNew);
// Closes the read descriptor (a null token is not passed to the host),
// disposes the parameters' descriptor through the handle suite, clears it
// and the token, and returns the host's close result (0 for a null token).
int16_t CloseReadDescriptor(PIDescriptorParameters* parameters, const HandleProcs* handles, PIReadDescriptor* token);
// Disposes the parameters' old descriptor, closes the write descriptor and
// stores the new descriptor when the host's result is 0 (null otherwise);
// recordInfo and the token become 0. Returns the host's close result.
int16_t CloseWriteDescriptor(PIDescriptorParameters* parameters, const HandleProcs* handles, PIWriteDescriptor* token);
// playInfo asks for the dialog.
bool PlayInfoIsDisplay(const PIDescriptorParameters* parameters);

// ---- Handle suite -----------------------------------------------------------
// CheckSuite(kHandleSuiteRule, StateOf(procs), tooNew): version 1, at least
// 7 procedures, new, dispose, get size and set size present.
bool CheckHandleProcs(const HandleProcs* procs, bool* tooNew);
// Through the host's suite when it passes its check and the procedure used is
// present; otherwise through the plug-in's own handles, which refuse any
// handle they did not issue. The plug-in's handles stay locked for life:
// locking one gives its data, unlocking does nothing.
Handle NewHandleWithSuite(const HandleProcs* procs, int32_t size);
void DisposeHandleWithSuite(const HandleProcs* procs, Handle handle);
int32_t GetHandleSizeWithSuite(const HandleProcs* procs, Handle handle);
int16_t SetHandleSizeWithSuite(const HandleProcs* procs, Handle handle, int32_t size);
Ptr LockHandleWithSuite(const HandleProcs* procs, Handle handle, bool moveHigh);
void UnlockHandleWithSuite(const HandleProcs* procs, Handle handle);

// ---- Other suites -----------------------------------------------------------
// What a suite must offer, and the host version named when it does not.
struct SuiteRule {
  int16_t version;
  int16_t minimumCount;
  const char* versionText; // for message 16992
};
constexpr SuiteRule kBufferSuiteRule{2, 5, "2.5"};
constexpr SuiteRule kResourceSuiteRule{3, 4, "3.0"};
constexpr SuiteRule kHandleSuiteRule{1, 7, "3.0"};
constexpr SuiteRule kPropertySuiteRule{1, 2, "2.5"};
constexpr SuiteRule kThreeProcedureSuiteRule{1, 3, "4.0"};

// A suite as its check sees it: its header, and whether every procedure the
// check requires is present. A null suite is {0, 0, false}.
struct SuiteState {
  int16_t version;
  int16_t count;
  bool complete;
};
SuiteState StateOf(const HandleProcs* procs); // new, dispose, get size, set size
SuiteState StateOf(const BufferProcs* procs);
SuiteState StateOf(const ResourceProcs* procs);
SuiteState StateOf(const PropertyProcs* procs);

bool CheckSuite(const SuiteRule& rule, const SuiteState& suite, bool* tooNew);
// The same, alerting the user on failure: message 16993 when the suite is
// too new, else 16992 with the rule's version text.
bool CheckSuiteWithAlert(const SuiteRule& rule, const SuiteState& suite);

// Whether a procedure is present, alerting 16992 when not, with the host
// version "2.50." (2.502 to three decimals, its last character replaced by a
// full stop), "3.0" or "2.5".
enum class RequiredHost { k2502, k30, k25 };
bool CheckProcedureWithAlert(bool present, RequiredHost host);

// Suite calls: 0 (or null) when the suite fails its check, except that
// AllocateBuffer then returns memFullErr.
int16_t AllocateBuffer(const BufferProcs* procs, int32_t size, BufferID* buffer);
Ptr LockBuffer(const BufferProcs* procs, BufferID buffer, bool moveHigh);
void UnlockBuffer(const BufferProcs* procs, BufferID buffer);
void FreeBuffer(const BufferProcs* procs, BufferID buffer);
int32_t BufferSpace(const BufferProcs* procs);
int16_t CountResources(const ResourceProcs* procs, uint32_t type);
Handle GetResource(const ResourceProcs* procs, uint32_t type, int16_t index);
void DeleteResource(const ResourceProcs* procs, uint32_t type, int16_t index);
int16_t AddResource(const ResourceProcs* procs, uint32_t type, Handle data);
int16_t GetProperty(const PropertyProcs* procs, uint32_t signature, uint32_t key, int32_t index,
                    intptr_t* simpleProperty, Handle* complexProperty);
int16_t SetProperty(const PropertyProcs* procs, uint32_t signature, uint32_t key, int32_t index,
                    intptr_t simpleProperty, Handle complexProperty);

// The most rows of rowBytes x planes bytes, from min(space / (rowBytes x
// planes), maxRows) down to minRows, that the buffer suite can allocate.
// Returns the rows allocated (with the buffer in *buffer), or 0 with no
// buffer when not even minRows fit.
int32_t AllocateLargestBuffer(const BufferProcs* procs, int32_t rowBytes, int32_t planes, int32_t minRows,
                              int32_t maxRows, BufferID* buffer);

// ---- Rectangles, modes and colours ------------------------------------------
void SetRectValues(Rect16* rect, int16_t top, int16_t left, int16_t bottom, int16_t right);
void CopyRect(const Rect16* source, Rect16* target);
// Colour planes of image modes 0..11 (1, 1, 3, 3, 4, 3, 3, -, 1, 3, 1, 3);
// `fallback` for mode 7 and any other.
int16_t ModeToPlanes(int16_t mode, int16_t fallback);
// Colour-services space of image modes 0..11; -1 where there is none.
int16_t ModeToColorSpace(int16_t mode);
// One colour-services call on four components (selector 0 picks a colour,
// 1 converts), reserved fields and prompt null; the components change only
// when the host returns 0. Returns the host's result (filterBadParameters
// without the procedure).
int16_t CallColorServices(ColorServicesProc colorServices, int16_t selector, int16_t sourceSpace, int16_t resultSpace,
                          int16_t components[4]);
// CallColorServices with selector 1.
int16_t ConvertColor(ColorServicesProc colorServices, int16_t sourceSpace, int16_t resultSpace, int16_t components[4]);

// ---- Strings with a length byte ---------------------------------------------
typedef unsigned char Str255[256];

// Appends `length` characters of `text`, as many as fit in 255.
void AppendText(Str255 target, const char* text, int32_t length);
void AppendChar(Str255 target, char c);
void CopyPString(Str255 target, const Str255 source);
// strlen, at most 32767.
int16_t CStringLength(const char* text);
void AppendCString(Str255 target, const char* text);
// The offset of the first occurrence of `pattern` in `text` (naive scan;
// ignoreCase folds A-Z only); -1 when there is none.
int16_t FindPString(const Str255 text, const Str255 pattern, bool ignoreCase);
// Splits at the last '.': before and after it. Without a dot the whole text
// is `before` and `after` is empty; returns whether there was a dot.
bool SplitAtLastDot(const Str255 text, Str255 before, Str255 after);
std::string PStringToString(const Str255 text);

// ---- Numbers and text -------------------------------------------------------
// Decimal text with `precision` decimals (0..15).
std::string DoubleToText(double value, int precision);
// Leading blanks, one optional '-', decimal digits, trailing blanks; anything
// else gives 0, more than 9 digits 0x7fffffff.
int32_t TextToInteger(const std::string& text);
// Replaces "^0", "^1" and "^2" by the texts given (null leaves them).
std::string ReplacePlaceholders(std::string message, const char* text0, const char* text1, const char* text2);

// ---- Handles as text and resources ------------------------------------------
// The first 254 bytes of a handle as a string; a handle of a string's bytes;
// one handle's bytes appended to another's (the result of the resize).
void HandleToPString(const HandleProcs* procs, Handle handle, Str255 text);
Handle PStringToHandle(const HandleProcs* procs, const Str255 text);
int16_t AppendHandle(const HandleProcs* procs, Handle target, Handle source);

// Four-character codes as stored: byte i is code >> 8i.
void CodeToBytes(uint32_t code, uint8_t bytes[4]);
uint32_t BytesToCode(const uint8_t bytes[4]);

// Type "STR ": string `id` (at most 255 characters) as a handle holding a
// string with its length byte. Any other type: the resource of that type
// named "#id" copied into a new handle. Null when missing.
Handle LoadResourceToHandle(const HandleProcs* procs, HMODULE module, uint32_t type, int16_t id);
// String `id` into `text` when it has at least one character.
bool LoadStringResource(HMODULE module, int16_t id, Str255 text);

// ---- Alerts -----------------------------------------------------------------
// String `id` as the text and string id + 1 (at most 60 characters) as the
// title, with the information icon.
int AlertFromStrings(HMODULE module, HWND owner, int16_t id);
// String `id` with "^1" and "^2" replaced, no title, the exclamation icon
// (severity 1: the stop icon).
int AlertWithValues(HMODULE module, HWND owner, int16_t id, const char* text1, const char* text2, int severity = 0);

// ---- Dialogs ----------------------------------------------------------------
// Items are addressed by their id in the dialog. An item that is missing is
// left alone (and reads as unchecked or empty).
bool GetCheckBox(HWND dialog, int item);
void SetCheckBox(HWND dialog, int item, bool checked);
// Flips the box; returns its new state.
bool ToggleCheckBox(HWND dialog, int item);
// Selects the whole text of an edit item and gives it the focus.
void SelectTextItem(HWND dialog, int item);
void ShowDialogItem(HWND dialog, int item);
void HideDialogItem(HWND dialog, int item);
void EnableDialogItem(HWND dialog, int item);
void DisableDialogItem(HWND dialog, int item);
// The item's text (at most 255 characters).
std::string GetItemText(HWND dialog, int item);
void SetItemText(HWND dialog, int item, const std::string& text);
// Centres the dialog over its parent (or owner), else over the desktop.
void CenterDialog(HWND dialog);

// Numeric fields. The item's text is read as TextToInteger reads it (or as
// a decimal number: blanks around it, anything else counts as 0). Inside
// [low, high] it is stored in *value and true returned. Outside, the
// dialog beeps, the item gets the nearest bound (a decimal one with
// `precision` decimals), which *value takes too, its text is selected, and
// message 16990 (16991 for decimals) names the bounds; false.
bool FetchIntegerItem(HWND dialog, int item, int32_t low, int32_t high, int32_t* value);
bool FetchNumberItem(HWND dialog, int item, double low, double high, int precision, double* value);

// ---- Host identification ----------------------------------------------------
// The running host's version word (major << 24 | minor << 16 | system code)
// when its InternalName (compared whole, ignoring the case of A-Z) names the
// host with `signature` or a later member of its group, else 0. Version
// information that is missing, over 1024 bytes or lacking a value gives 0.
uint32_t HostVersion(uint32_t signature);
// Whether HostVersion's system code is one of a known system (10, 11, 12).
bool HostIdentified(uint32_t signature);
// The variant that looks up the language from "\VarFileInfo\Translation"
// (default 0x04090000), knows three more hosts and splits a minor version
// above 9 into the minor version and a further digit (bits 8..15).
uint32_t HostVersionExtended(uint32_t signature);

} // namespace hostif
