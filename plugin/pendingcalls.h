#pragma once
// Until the correction run, the scripting parameters, the finishing roads
// and the view modes are built, the main window's operations of those
// families only note that they were called: each appends "Name(arguments)"
// to one process-wide list, which only tests read. Arguments are written as
// the call gave them: true or false, numbers in decimal, texts in double
// quotes, pointers as "image" or "null".
#include <string>
#include <vector>

// Appends one call to the list.
void RecordPendingCall(std::string call);
// The calls in the order they were made.
const std::vector<std::string>& PendingCalls();
// Empties the list.
void ClearPendingCalls();

// The name the interim LumivexWindow::GetCurrentPreset answers with (copied;
// null: none). Only tests set it.
void SetPendingCurrentPreset(const char* name);
// That name; null when none is set.
const char* PendingCurrentPreset();
