#pragma once
// The "Preset Manager": a list of the stored presets ("Default" first, then
// the Presets key's values in store order) with, in manage mode, Rename,
// Remove, Import, Export and Done, and in apply mode Apply and Done. It
// lives on the caller's stack for one modal run and keeps the Presets key
// open for its lifetime. Listing only reads the key: it is made by the
// first preset stored (saved, renamed or imported), never by listing.
#include "qvcommon/qvcommondialog.h"

#include <cstdint>
#include <vector>

class QVButton;
class QVList;

class PresetManager : public QVCommonDialog {
public:
  enum eMode : int32_t {
    eManageMode = 0,
    eApplyMode = 1,
  };
  enum : int32_t {
    kRename = 1001,
    kRemove = 1002,
    kExport = 1003,
    kDone = 1004,
    kImport = 1005,
    kApply = 1006,
    kListMessage = 128, // what a click on a row sends
  };

  // The dialog at (100, 100, 600, 400) in screen coordinates, owned by
  // `owner` (the parent of the name dialogs it opens too), with its list
  // filled and the buttons of its mode.
  PresetManager(QVResourceFile* resources, eMode mode, QVWindow* owner);
  // Deletes the buttons and the list, then closes the Presets key.
  ~PresetManager() override;

  // 1001-1006 as their buttons say; Rename, Remove, Export and Apply do
  // nothing while no row is current. Every other command (a row's click
  // included) is taken without ending the dialog. True.
  bool HandleCommand(QVEvent& event) override;

  // ---- New virtual operations, in their fixed order ----
  // Makes the row of that name current (nothing when there is none).
  virtual void SelectItemByName(const char* name);
  // Adds "Default", then a row for each value of the Presets key (opened
  // here when it exists), in store order, as far as the list has room; a
  // name too long for the enumeration's buffer is skipped.
  virtual void FillList();
  // presetstore::ReadPreset on the open key: the record, or empty.
  virtual std::vector<uint8_t> ReadPresetByName(const char* name);
  // presetstore::DeletePreset on the open key: true when deleted.
  virtual bool DeletePresetByName(const char* name);

  // The record read by Apply; empty when Done (or nothing) ended the
  // dialog, and always in manage mode.
  const std::vector<uint8_t>& ChosenData() const { return m_Chosen; }
  QVList* List() const { return m_List; }

private:
  void Rename();
  void Remove();
  void Export();
  void Import();
  void Apply();
  // The current row's name; null without a current row.
  const char* CurrentName() const;
  // The folder the file dialogs start in.
  void StartFolder(char* folder, uint16_t size) const;
  // After a preset was stored: opens the Presets key, which the store may
  // just have made, when the dialog has none yet.
  void KeepKey();

  QVButton* m_Rename = nullptr;
  QVButton* m_Remove = nullptr;
  QVButton* m_Export = nullptr;
  QVButton* m_Import = nullptr;
  QVButton* m_Done = nullptr;
  QVButton* m_Apply = nullptr;
  QVList* m_List = nullptr;
  HKEY m_Key = nullptr;
  std::vector<uint8_t> m_Chosen;
  QVWindow* m_Owner = nullptr;
};
