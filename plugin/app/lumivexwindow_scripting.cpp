// The scripting parameters the host records and replays: read when the
// window is built, written after a run that handed its image to the host.
#include "lumivexwindow.h"

#include "appshell.h"
#include "correctionsettings.h"
#include "filterhost/scriptingkeys.h"
#include "filterpluginshell.h"
#include "hostutil.h"

#include <algorithm>
#include <cmath>

namespace {

// The most entries read from one descriptor: a host whose getKey never
// answers false cannot hold the plug-in.
constexpr int kMostEntries = 1024;

// The setting recorded under an integer or boolean key; null for another
// key (the tonal gamma is recorded as a float and read on its own).
const correctionsettings::Setting* IntegerSetting(uint32_t key)
{
  const correctionsettings::Setting* setting = correctionsettings::ByScriptKey(key);
  return setting && setting->scriptType != typeFloat ? setting : nullptr;
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
  const correctionsettings::Setting* setting = IntegerSetting(key);
  return setting ? SettingValue(*setting) : 0;
}

void LumivexWindow::StoreScriptInteger(uint32_t key, int32_t value)
{
  const correctionsettings::Setting* setting = IntegerSetting(key);
  if (!setting)
    return;
  if (setting->replayRange.Present())
    value = std::clamp(value, setting->replayRange.low, setting->replayRange.high);
  StoreSetting(*setting, value);
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
    const correctionsettings::Setting* known = correctionsettings::ByScriptKey(key);
    if (!known || known->scriptType != type)
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
