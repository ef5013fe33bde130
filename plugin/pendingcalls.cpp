#include "pendingcalls.h"

namespace {

std::vector<std::string>& Calls()
{
  static std::vector<std::string> calls;
  return calls;
}

struct CurrentPreset {
  std::string name;
  bool set = false;
};

CurrentPreset& Preset()
{
  static CurrentPreset preset;
  return preset;
}

} // namespace

void RecordPendingCall(std::string call) { Calls().push_back(std::move(call)); }
const std::vector<std::string>& PendingCalls() { return Calls(); }
void ClearPendingCalls() { Calls().clear(); }

void SetPendingCurrentPreset(const char* name)
{
  Preset().set = name != nullptr;
  Preset().name = name ? name : "";
}

const char* PendingCurrentPreset() { return Preset().set ? Preset().name.c_str() : nullptr; }
