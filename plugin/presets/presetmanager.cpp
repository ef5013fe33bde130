#include "presetmanager.h"

#include "presetfile.h"
#include "presetstore.h"
#include "qvcommon/qvbutton.h"
#include "qvcommon/qvfilespec.h"
#include "qvcommon/qvlist.h"
#include "qvcommon/qvmessage.h"
#include "win32/messagebox.h"
#include "win32/registry.h"

#include <new>

namespace {

const QVRect kDialogRect(100, 100, 600, 400);
constexpr int32_t kBackground = 138;
constexpr int32_t kButtonBackground = 160;

// A manager button: 80 x 22 at the slot's place, on picture 160, its
// caption centred in bold white Arial 15.
QVButton* MakeButton(QVWindow* parent, QVResourceFile* resources, int slot, int32_t command, const char* caption)
{
  QVRect rect;
  rect.SetLTWH(10 + 100 * slot, 240, 80, 22);
  QVButton* button = new (std::nothrow) QVButton(parent, rect, resources, command);
  if (!button)
    return nullptr;
  button->LoadBackgroundImage(kButtonBackground, resources);
  button->SetControlFont(QVDevice::qvdArial, 15, true, false);
  QVColor white(255, 255, 255);
  button->SetTextColor(white);
  button->SetTextAlignment(2);
  button->SetControlText(caption, 0, 0);
  return button;
}

} // namespace

PresetManager::PresetManager(QVResourceFile* resources, eMode mode, QVWindow* owner)
    : QVCommonDialog(&kDialogRect, "Preset Manager", resources, owner), m_Owner(owner)
{
  LoadBackgroundImage(kBackground, resources);
  QVRect listRect(3, 3, Width() - 6, Height() - 85);
  m_List = new (std::nothrow) QVList(this, listRect, resources, kListMessage, kBackground);
  if (m_List) {
    m_List->AddScrollbar(182, 183);
    m_List->SetSunken();
    m_List->Init(160, 160, 160, 160, 160, 160, 160);
  }
  FillList();
  if (m_List)
    m_List->ShowWindow(eQVShowNormal);
  if (mode == eManageMode) {
    m_Rename = MakeButton(this, resources, 0, kRename, "Rename");
    m_Remove = MakeButton(this, resources, 1, kRemove, "Remove");
    m_Import = MakeButton(this, resources, 2, kImport, "Import");
    m_Export = MakeButton(this, resources, 3, kExport, "Export");
    m_Done = MakeButton(this, resources, 4, kDone, "Done");
  } else {
    m_Apply = MakeButton(this, resources, 0, kApply, "Apply");
    m_Done = MakeButton(this, resources, 1, kDone, "Done");
  }
}

PresetManager::~PresetManager()
{
  delete m_Rename;
  delete m_Remove;
  delete m_Export;
  delete m_Import;
  delete m_Done;
  delete m_Apply;
  delete m_List;
  if (m_Key)
    RegCloseKey(m_Key);
}

bool PresetManager::HandleCommand(QVEvent& event)
{
  switch (event.m_Command) {
  case kRename: Rename(); break;
  case kRemove: Remove(); break;
  case kExport: Export(); break;
  case kImport: Import(); break;
  case kDone: EndDialog(); break;
  case kApply: Apply(); break;
  default: break; // a row's click, and anything else: the dialog stays
  }
  return true;
}

void PresetManager::SelectItemByName(const char* name)
{
  if (m_List && name)
    m_List->SetCurrentItem(name);
}

void PresetManager::FillList()
{
  if (!m_List)
    return;
  m_List->AddListItem(presetstore::kDefaultName, false, false, 0);
  // Listing only reads: a missing key is made by the first preset stored.
  if (!m_Key)
    m_Key = presetstore::OpenPresetsKey(false);
  for (const presetstore::Entry& entry : presetstore::EnumeratePresets(m_Key))
    if (m_List->AddListItem(entry.name.c_str(), false, false, static_cast<int32_t>(entry.index)) < 0)
      break; // the list is full; the registry keeps the rest
}

std::vector<uint8_t> PresetManager::ReadPresetByName(const char* name) { return presetstore::ReadPreset(m_Key, name); }

bool PresetManager::DeletePresetByName(const char* name) { return presetstore::DeletePreset(m_Key, name); }

const char* PresetManager::CurrentName() const
{
  return m_List && m_List->GetCurrentItemIndex() >= 0 ? m_List->GetCurrentItem() : nullptr;
}

void PresetManager::StartFolder(char* folder, uint16_t size) const
{
  QVFileSpec start;
  start.GetFirstDrive(QVFileSpec::eAnyDrive);
  if (start.GetFullPath(folder, size) != 0)
    folder[0] = '\0';
}

void PresetManager::KeepKey()
{
  if (!m_Key)
    m_Key = presetstore::OpenPresetsKey(false);
}

void PresetManager::Rename()
{
  const char* current = CurrentName();
  if (!current)
    return;
  const std::string old = current;
  const std::vector<uint8_t> data = ReadPresetByName(old.c_str());
  if (data.empty())
    return;
  HideWindow();
  char name[presetstore::kNameSize] = "";
  if (presetstore::StorePreset(nullptr, data.data(), data.size(), name, GetResourceFile(), false, m_Owner)) {
    // The new name differs from the old one in more than letter case (the
    // store loop refuses any spelling of a taken name), so this never
    // deletes what was just written.
    DeletePresetByName(old.c_str());
    m_List->RenameCurrentItem(name);
    KeepKey();
  }
  ShowWindow(eQVShowNormal);
}

void PresetManager::Remove()
{
  const char* current = CurrentName();
  if (!current)
    return;
  QVMessage question("Are you sure you want to delete this preset?", "Warning!", QVMessage::qvMessageYesNo);
  if (question.result != IDYES || !m_List)
    return;
  DeletePresetByName(current);
  m_List->RemoveItem(m_List->GetCurrentItemIndex());
}

void PresetManager::Export()
{
  const char* current = CurrentName();
  if (!current)
    return;
  const std::vector<uint8_t> data = ReadPresetByName(current);
  HideWindow();
  char folder[QVFileSpec::kPathSize];
  StartFolder(folder, sizeof folder);
  QVFileSpec target;
  if (target.PromptForSaveFileName(folder, "Save this preset", this, "Untitled.cxp", true) && !data.empty() &&
      !presetfile::Write(target, data))
    presetstore::ShowMessage(presetstore::kWriteFailedMessage);
  ShowWindow(eQVShowNormal);
}

void PresetManager::Import()
{
  HideWindow();
  char folder[QVFileSpec::kPathSize];
  StartFolder(folder, sizeof folder);
  QVFileSpec chosen;
  if (chosen.PromptForSaveFileName(folder, "Import a preset", this, "", false)) {
    const std::vector<uint8_t> data = presetfile::Read(chosen);
    if (data.empty()) {
      presetstore::ShowMessage(presetstore::kInvalidFileMessage);
    } else {
      // "C:\Presets\Warm.cxp" is offered as "Warm".
      char name[presetstore::kNameSize] = "";
      chosen.ExtractNameOnly(name, false, sizeof name);
      if (presetstore::StorePreset(nullptr, data.data(), data.size(), name, GetResourceFile(), true, m_Owner)) {
        KeepKey();
        if (m_List)
          m_List->AddListItem(name, false, false, -1);
      }
    }
  }
  ShowWindow(eQVShowNormal);
}

void PresetManager::Apply()
{
  const char* current = CurrentName();
  if (!current)
    return;
  m_Chosen = ReadPresetByName(current);
  EndDialog();
}
