// The scripting parameters the host records and replays: read when the
// window is built, written after a run that handed its image to the host.
#include "lumivexwindow.h"

#include "appshell.h"
#include "filterhost/scriptingkeys.h"
#include "filterpluginshell.h"
#include "hostutil.h"

#include <algorithm>
#include <cmath>

namespace {

// The most entries read from one descriptor: a host whose getKey never
// answers false cannot hold the plug-in.
constexpr int kMostEntries = 1024;

// What a replayed integer or boolean may be; values outside are held to it.
struct Range {
  uint32_t key;
  int32_t low, high;
};
constexpr Range kRanges[] = {
    {FourCC("lvAU"), 0, 1},     {FourCC("lvSO"), 0, 1},       {FourCC("lvSA"), 1, 6},
    {FourCC("lvCL"), 1, 13},    {FourCC("lvST"), -255, 255},  {FourCC("lvCT"), 1, 13},
    {FourCC("lvSH"), 1, 13},    {FourCC("lvAN"), 0, 40},      {FourCC("lvBR"), -255, 255},
    {FourCC("lvRD"), -255, 255}, {FourCC("lvGN"), -255, 255}, {FourCC("lvBL"), -255, 255},
    {FourCC("lvAM"), 0, 1},     {FourCC("lvDS"), 0, 1},
};

const ScriptingKey* FindKey(uint32_t key)
{
  for (const ScriptingKey& k : kScriptingKeys)
    if (k.key == key)
      return &k;
  return nullptr;
}

int32_t Held(uint32_t key, int32_t value)
{
  for (const Range& r : kRanges)
    if (r.key == key)
      return std::clamp(value, r.low, r.high);
  return value;
}

// The descriptor parameters of a filter plug-in run whose suites can be
// used; null otherwise.
PIDescriptorParameters* UsableParameters(AppShell* bridge, const HandleProcs** handles)
{
  auto* shell = dynamic_cast<FilterPlugInShell*>(bridge);
  FilterRecord* record = shell && shell->GetMode() == 1 ? shell->Record() : nullptr;
  PIDescriptorParameters* parameters = record ? record->descriptorParameters : nullptr;
  if (!parameters || !hostif::CheckDescriptorSuites(parameters, nullptr))
    return nullptr;
  *handles = record->handleProcs;
  return parameters;
}

} // namespace

int32_t LumivexWindow::ScriptInteger(uint32_t key) const
{
  switch (key) {
  case FourCC("lvAU"): return m_AutomaticMode;
  case FourCC("lvSO"): return m_SubDetailOn;
  case FourCC("lvSA"): return m_SubDetailAmount;
  case FourCC("lvCL"): return m_Settings.colorLevel;
  case FourCC("lvST"): return m_Saturation;
  case FourCC("lvCT"): return m_Settings.contrastLevel;
  case FourCC("lvSH"): return m_Settings.sharpenLevel;
  case FourCC("lvAN"): return m_Settings.noiseLevel;
  case FourCC("lvBR"): return m_Brightness;
  case FourCC("lvRD"): return m_Red;
  case FourCC("lvGN"): return m_Green;
  case FourCC("lvBL"): return m_Blue;
  case FourCC("lvAM"): return m_DescreenOn;
  case FourCC("lvDS"): return m_DespeckleOn;
  default: return 0;
  }
}

void LumivexWindow::StoreScriptInteger(uint32_t key, int32_t value)
{
  value = Held(key, value);
  switch (key) {
  case FourCC("lvAU"): m_AutomaticMode = value; break;
  case FourCC("lvSO"): m_SubDetailOn = static_cast<uint8_t>(value); break;
  case FourCC("lvSA"): m_SubDetailAmount = value; break;
  case FourCC("lvCL"): m_Settings.colorLevel = static_cast<int16_t>(value); break;
  case FourCC("lvST"): m_Saturation = value; break;
  case FourCC("lvCT"): m_Settings.contrastLevel = static_cast<int16_t>(value); break;
  case FourCC("lvSH"): m_Settings.sharpenLevel = static_cast<int16_t>(value); break;
  case FourCC("lvAN"): m_Settings.noiseLevel = static_cast<int16_t>(value); break;
  case FourCC("lvBR"): m_Brightness = value; break;
  case FourCC("lvRD"): m_Red = value; break;
  case FourCC("lvGN"): m_Green = value; break;
  case FourCC("lvBL"): m_Blue = value; break;
  case FourCC("lvAM"): m_DescreenOn = value; break;
  case FourCC("lvDS"): m_DespeckleOn = value; break;
  default: break;
  }
}

bool LumivexWindow::ReadScriptParameters()
{
  const HandleProcs* handles = nullptr;
  PIDescriptorParameters* parameters = UsableParameters(Bridge(), &handles);
  if (!parameters)
    return false;
  const ReadDescriptorProcs& read = *parameters->readDescriptorProcs;
  uint32_t keys[kScriptingKeyCount + 1] = {};
  for (size_t i = 0; i < kScriptingKeyCount; ++i)
    keys[i] = kScriptingKeys[i].key;
  PIReadDescriptor token = read.openReadDescriptorProc(parameters->descriptor, keys);
  m_DialogWanted = parameters->playInfo == playInfoDisplay ? 1 : 0;
  if (!token)
    return false;
  if (m_DialogWanted) {
    // The window opens with its defaults; the host keeps its recording.
    read.closeReadDescriptorProc(token);
    return true;
  }
  uint32_t key = 0, type = 0;
  int32_t flags = 0;
  for (int entries = 0; entries < kMostEntries && read.getKeyProc(token, &key, &type, &flags); ++entries) {
    const ScriptingKey* known = FindKey(key);
    if (!known || known->type != type)
      continue;
    if (type == typeFloat) {
      double value = 0;
      if (read.getFloatProc(token, &value) == noErr && std::isfinite(value) && value > 0)
        m_Settings.tonalGamma = value;
    } else if (type == typeBoolean) {
      uint8_t value = 0;
      if (read.getBooleanProc(token, &value) == noErr)
        StoreScriptInteger(key, value != 0 ? 1 : 0);
    } else {
      int32_t value = 0;
      if (read.getIntegerProc(token, &value) == noErr)
        StoreScriptInteger(key, value);
    }
  }
  hostif::CloseReadDescriptor(parameters, handles, &token);
  return true;
}

bool LumivexWindow::WriteScriptParameters(bool automatic)
{
  const HandleProcs* handles = nullptr;
  PIDescriptorParameters* parameters = UsableParameters(Bridge(), &handles);
  if (!parameters)
    return false;
  const WriteDescriptorProcs& write = *parameters->writeDescriptorProcs;
  PIWriteDescriptor token = write.openWriteDescriptorProc();
  if (!token)
    return true;
  bool complete = write.putBooleanProc(token, FourCC("lvAU"), automatic ? 1 : 0) == noErr;
  if (!automatic) {
    for (const ScriptingKey& k : kScriptingKeys) {
      if (k.key == FourCC("lvAU"))
        continue;
      int16_t status = noErr;
      if (k.type == typeFloat)
        status = write.putFloatProc(token, k.key, &m_Settings.tonalGamma);
      else if (k.type == typeBoolean)
        status = write.putBooleanProc(token, k.key, ScriptInteger(k.key) != 0 ? 1 : 0);
      else
        status = write.putIntegerProc(token, k.key, ScriptInteger(k.key));
      complete = complete && status == noErr;
    }
  }
  const bool closed = hostif::CloseWriteDescriptor(parameters, handles, &token) == noErr;
  if (!complete && parameters->descriptor) {
    // A recording that misses a key would replay differently.
    hostif::DisposeHandleWithSuite(handles, parameters->descriptor);
    parameters->descriptor = nullptr;
  }
  return complete && closed;
}
