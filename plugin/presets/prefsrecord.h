#pragma once
// The plug-in's preferences: four switches and a short prefix for the names
// of automatically saved files, kept as values of the product key
// HKEY_LOCAL_MACHINE\Software\Tarnwell\Lumivex ("AutoSave", "AutoDragDrop",
// "DrawBkg" and "AutoOverwrite" as REG_DWORD, "SaveNameExt" as REG_SZ). The
// application object loads the record when it starts and saves it when it
// ends; PrefsWindow edits it.
#include <cstddef>
#include <cstdint>

struct PrefsRecord {
  // The longest prefix kept, in characters.
  enum : size_t { kPrefixLength = 9 };

  uint32_t AutoSave = 1;        // save automatically (0/1)
  char SaveNameExt[12] = "LMV"; // prefix of automatically saved names; always terminated
  uint32_t AutoDragDrop = 1;    // automatic drag and drop (0/1)
  uint32_t DrawBkg = 0;         // draw background (0/1)
  uint32_t AutoOverwrite = 0;   // overwrite files in automatic mode (0/1)

  // The defaults, then each value the registry holds in a usable form, read
  // in the order AutoDragDrop, AutoOverwrite, AutoSave, DrawBkg,
  // SaveNameExt. A switch is taken only from a REG_DWORD of 4 bytes; the
  // prefix only from a REG_SZ of at most 9 characters (with its terminator
  // or without) that holds no '/' or '\'. Anything else, or a missing key,
  // keeps the default.
  void Load();
  // Writes AutoSave, SaveNameExt (its characters and the terminator),
  // DrawBkg, AutoDragDrop and AutoOverwrite in that order, creating the key
  // when it is missing. Failures are not reported.
  void Save() const;
  // Every field := its default.
  void SetDefaults();

  // The prefix := text without '/' and '\' (so it cannot lead out of a
  // folder), cut to 9 characters. A null text empties it.
  void SetPrefix(const char* text);
  // Whether the text can stand as a prefix: at most 9 characters, no
  // separator.
  static bool UsablePrefix(const char* text, size_t length);
};
