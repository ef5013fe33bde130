#include "report.h"

#include "session.h"

#include "win32/replacementfile.h"

namespace lvfx {
namespace {

std::string Num(intptr_t v) { return std::to_string(v); }

std::string DescribeControl(const Control& c)
{
  const EffectControlRecord& r = c.record;
  std::string text = "  " + Num(r.controlId) + " kind " + Num(r.kind) + " at (" + Num(r.x) + ", " + Num(r.y) +
                     ") label " + Num(r.labelId) + " \"" + c.label + "\" bitmap " + Num(r.bitmapId);
  if (c.Kind() == kEffectPopup) {
    text += " items";
    for (size_t i = 0; i < c.codes.size(); ++i)
      text += " " + Num(c.codes[i]) + " \"" + c.itemTexts[i] + "\"";
    return text + " arrow " + Num(c.arrow) + "\n";
  }
  return text + " value " + Num(c.values[0]) + " range " + Num(c.values[1]) + ".." + Num(c.values[2]) + " step " +
         Num(c.values[3]) + "\n";
}

} // namespace

std::string FormatReport(const Session& session)
{
  const EffectInfo& info = session.Info();
  std::string text = "effect " + Num(info.effectId) + " instance " + Num(session.Index()) + "\n";
  text += "controls:\n";
  for (const Control& c : session.Controls().Controls())
    text += DescribeControl(c);
  text += "undo stack, oldest first:\n";
  for (const QVUndo_Item& item : session.UndoStack())
    text += "  " + Session::Describe(item) + "\n";
  text += "redo stack, oldest first:\n";
  for (const QVUndo_Item& item : session.RedoStack())
    text += "  " + Session::Describe(item) + "\n";
  text += "redraws: " + Num(static_cast<intptr_t>(session.Redraws().size())) + "\n";
  for (const RedrawCall& call : session.Redraws())
    text += "  " + Session::Describe(call) + "\n";
  const QVRect& a = session.Accumulated();
  text +=
      "accumulated: (" + Num(a.Left()) + ", " + Num(a.Top()) + ", " + Num(a.Right()) + ", " + Num(a.Bottom()) + ")\n";
  text += "sliders:";
  for (const Control& c : session.Controls().Controls())
    if (c.Kind() == kEffectSlider)
      text += " " + c.label + " " + Num(c.Value());
  return text + "\n";
}

bool WriteReport(const std::string& path, const Session& session, lvxtext::Error* error)
{
  // The report of an interrupted run is written whole too.
  std::string why;
  if (!standin::WriteWholeFile(path, FormatReport(session), &why, standin::ReplacementFile::Options{false, 0}))
    return lvxtext::Fail(error, path + ": the report cannot be written: " + why);
  return true;
}

} // namespace lvfx
