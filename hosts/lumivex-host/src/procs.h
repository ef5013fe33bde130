#pragma once
// The host's procedures as the C functions a plug-in calls; each forwards to
// the running Host (see host.h).
#include "filterhost/filterhost.h"

#include <string>

namespace lvhost {

// The record's procedures: abortProc (1 once Ctrl-C or SIGTERM arrived),
// progressProc, displayPixels, advanceState and colorServices.
void InstallRecordProcedures(FilterRecord* record);
// The handle suite (version 1, 7 procedures) and the descriptor suites
// (version 0, 18 and 16 procedures).
void InstallProcedures(HandleProcs* handles, ReadDescriptorProcs* read, WriteDescriptorProcs* write);

// Ends the progress bar's line on stderr.
void EndProgress();

std::string RectText(const Rect16& r);

} // namespace lvhost
