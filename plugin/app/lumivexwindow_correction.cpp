// The correction run: the live preview, the full run on the host's image,
// the engine settings taken from the controls and the pixel steps around
// the engine.
#include "lumivexwindow.h"

#include "controlpanel.h"
#include "correctionsettings.h"
#include "engineparams.h"
#include "lumivexdescreen.h"
#include "lumivexdespeckle.h"
#include "lumivexutils.h"
#include "previewpane.h"
#include "qvcommon/qvbutton.h"
#include "qvcommon/qvimage.h"
#include "qvcommon/qvmenu.h"
#include "qvcommon/qvmenuitem.h"
#include "qvcommon/qvslider.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

void WaitCursor() { SetCursor(LoadCursorA(nullptr, IDC_WAIT)); }

int32_t Checked(QVButton* box, int32_t otherwise) { return box ? (box->ButtonOn() ? 1 : 0) : otherwise; }

} // namespace

bool LumivexWindow::HasImage() const { return m_CurrentImage && m_CurrentImage->HasPixels(); }

bool LumivexWindow::SetImage(QVImage* image, bool redraw)
{
  m_CurrentImage = image;
  ForgetImageCopies();
  if (!redraw)
    return true;
  if (m_PreviewPane) {
    m_PreviewPane->HideWindow();
    m_PreviewPane->SetImage(image);
  }
  RunPreviewCorrection(true, false);
  if (m_PreviewPane)
    m_PreviewPane->InvalWindow(nullptr, 0);
  // The panel has no controls that depend on the image.
  ShowNormalView();
  return true;
}

bool LumivexWindow::EnginePass(QVImage* image, const QVRect& area)
{
  uint8_t* buffer = image->pixels + static_cast<int64_t>(area.Top()) * image->rowBytes +
                    static_cast<int64_t>(area.Left()) * image->bytesPerPixel;
  return DoAdjustments(buffer, area.Height(), area.Width(), image->rowBytes, image->bytesPerPixel, nullptr, nullptr) ==
         LUMIVEX_OK;
}

bool LumivexWindow::SubDetailPasses(QVImage* image, const QVRect& area)
{
  const AdjustParams preparatory = engineparams::PreparatoryRecord(m_Settings);
  SetParams(&preparatory);
  for (int32_t i = 0; i < m_SubDetailAmount; ++i)
    if (!EnginePass(image, area))
      return false;
  return true;
}

bool LumivexWindow::Correct(QVImage* image, QVRect& area, const AdjustParams* settings, bool finish, bool subDetailDone)
{
  if (m_SubDetailOn && !subDetailDone && !SubDetailPasses(image, area))
    return false;
  SetParams(settings);
  ApplyColorShift(image, image, area);
  if (m_DescreenOn) {
    LumivexDescreen descreen;
    descreen.Analyze(image);
    descreen.Apply(image);
  }
  if (m_DespeckleOn) {
    LumivexDespeckle despeckle;
    despeckle.Apply(image);
  }
  if (!finish)
    return true;
  if (!EnginePass(image, area))
    return false;
  ApplySaturationBrightness(image, image, area);
  return true;
}

QVImage* LumivexWindow::RefreshedFullSizePreview()
{
  QVImage* preview = m_CorrectedPreview;
  const QVImage* image = m_CurrentImage;
  if (!m_FullSizeKept || !preview || !preview->HasPixels() || preview->width != image->width ||
      preview->height != image->height || preview->bytesPerPixel != image->bytesPerPixel ||
      preview->rowBytes != image->rowBytes)
    return nullptr;
  // Outside what the last run touched the preview is still the image.
  const QVRect& touched = m_FullSizeTouched;
  const int64_t offset = static_cast<int64_t>(touched.Left()) * image->bytesPerPixel;
  const size_t length = static_cast<size_t>(touched.Width()) * static_cast<size_t>(image->bytesPerPixel);
  for (int32_t y = touched.Top(); y < touched.Bottom(); ++y)
    std::memcpy(preview->pixels + static_cast<int64_t>(y) * preview->rowBytes + offset,
                image->pixels + static_cast<int64_t>(y) * image->rowBytes + offset, length);
  m_CorrectedPreview = nullptr;
  return preview;
}

void LumivexWindow::ForgetImageCopies()
{
  m_FullSizeKept = false;
  m_ReducedCopyCurrent = false;
  delete m_SubDetailCopy;
  m_SubDetailCopy = nullptr;
}

QVImage* LumivexWindow::ReducedPreview(int32_t width, int32_t height)
{
  const int32_t bytes = m_CurrentImage->bytesPerPixel;
  const bool reusable = m_ReducedCopyCurrent && m_UncorrectedPreview && m_UncorrectedPreview->HasPixels() &&
                        m_UncorrectedPreview->width == width && m_UncorrectedPreview->height == height &&
                        m_UncorrectedPreview->bytesPerPixel == bytes;
  if (reusable)
    return new (std::nothrow) QVImage(m_UncorrectedPreview);
  ForgetImageCopies();
  auto* preview = new (std::nothrow) QVImage(width, height, bytes, nullptr);
  if (preview && preview->HasPixels()) {
    LumivexUtils::ResampleImage(m_CurrentImage, preview);
    delete m_UncorrectedPreview;
    m_UncorrectedPreview = new (std::nothrow) QVImage(preview);
    m_ReducedCopyCurrent = m_UncorrectedPreview && m_UncorrectedPreview->HasPixels();
  }
  return preview;
}

bool LumivexWindow::SubDetailFromCopy(QVImage* preview)
{
  const AdjustParams preparatory = engineparams::PreparatoryRecord(m_Settings);
  // The kept copy goes whenever the reduced copy is made anew, so only the
  // pre-pass's own settings can differ (its size is checked all the same).
  if (m_SubDetailCopy && m_SubDetailCopyAmount == m_SubDetailAmount &&
      std::equal(preparatory.skinColor, preparatory.skinColor + 3, m_SubDetailCopySkin) &&
      m_SubDetailCopy->rowBytes == preview->rowBytes && m_SubDetailCopy->height == preview->height) {
    std::memcpy(preview->pixels, m_SubDetailCopy->pixels,
                static_cast<size_t>(preview->rowBytes) * static_cast<size_t>(preview->height));
    return true;
  }
  delete m_SubDetailCopy;
  m_SubDetailCopy = nullptr;
  if (!SubDetailPasses(preview, QVRect(0, 0, preview->width, preview->height)))
    return false;
  // Only a pre-pass that ran to its end is kept.
  m_SubDetailCopy = new (std::nothrow) QVImage(preview);
  if (m_SubDetailCopy && !m_SubDetailCopy->HasPixels()) {
    delete m_SubDetailCopy;
    m_SubDetailCopy = nullptr;
  }
  m_SubDetailCopyAmount = m_SubDetailAmount;
  std::copy(preparatory.skinColor, preparatory.skinColor + 3, m_SubDetailCopySkin);
  return true;
}

void LumivexWindow::RunPreviewCorrection(bool correct, bool redraw)
{
  // Without a dialog (the replay and automatic roads) the panel is never
  // shown, so no preview could ever be seen: none is made.
  if (m_ControlDown || !HasImage() || !m_PreviewPane || !m_DialogWanted)
    return;
  WaitCursor();
  // The pane never holds the preview about to go: until the new one is
  // ready it holds the image itself (of the same size at full size, so the
  // scroll offset keeps its range).
  if (m_PreviewPane->GetImage() == m_CorrectedPreview)
    m_PreviewPane->SetImage(m_CurrentImage);
  QVImage* kept = m_ReducedPreview ? nullptr : RefreshedFullSizePreview();
  delete m_CorrectedPreview;
  m_CorrectedPreview = nullptr;
  m_FullSizeKept = false;
  const QVRect client = m_PreviewPane->GetClientRect();
  QVRect area;
  QVImage* preview = nullptr;
  if (m_ReducedPreview) {
    QVRect fitted = client;
    const QVRect whole(0, 0, m_CurrentImage->width, m_CurrentImage->height);
    double factor = 1.0;
    LumivexUtils::FitImageRect(&whole, &fitted, &factor);
    if (fitted.Width() > 0 && fitted.Height() > 0)
      preview = ReducedPreview(fitted.Width(), fitted.Height());
    area.SetLTWH(0, 0, fitted.Width(), fitted.Height());
  } else {
    preview = kept ? kept : new (std::nothrow) QVImage(m_CurrentImage);
    // Only the part the pane shows: the offset is where the image's corner
    // is drawn (0 or less), so the visible part starts at its negation.
    const QVPoint offset = m_PreviewPane->GetScrollOffset();
    const int32_t x = std::min(offset.X(), 0), y = std::min(offset.Y(), 0);
    const int32_t columns = m_CurrentImage->width + x <= client.Width() ? m_CurrentImage->width + x : client.Width();
    const int32_t rows = m_CurrentImage->height + y <= client.Height() ? m_CurrentImage->height + y : client.Height();
    area.SetLTRB(-x, -y, columns - x, rows - y);
  }
  if (!preview || !preview->HasPixels()) {
    // Nothing to show: the pane keeps no pointer to the deleted preview.
    delete preview;
    m_PreviewPane->SetImage(nullptr);
    if (redraw)
      m_PreviewPane->InvalWindow(nullptr, 0);
    SetCursorArrow();
    return;
  }
  m_CorrectedPreview = preview;
  QVRect inside;
  const bool usable = engineparams::UsableArea(preview, preview, area, &inside);
  if (!m_ReducedPreview) {
    // What the run below may change: the visible part, or all of it when a
    // filter works on the whole picture.
    m_FullSizeKept = true;
    m_FullSizeTouched = !correct || !usable             ? QVRect()
                        : m_DescreenOn || m_DespeckleOn ? QVRect(0, 0, preview->width, preview->height)
                                                        : inside;
  }
  if (correct && usable) {
    const AdjustParams record = engineparams::EngineRecord(m_Settings);
    // The reduced copy's pre-pass gives the same pixels for every preview
    // until the image, the amount or the skin colour changes: it runs once.
    const bool keptPrePass = m_SubDetailOn && m_ReducedPreview && m_ReducedCopyCurrent;
    if (!keptPrePass || SubDetailFromCopy(preview))
      Correct(preview, inside, &record, m_EnhanceOn != 0, keptPrePass);
  }
  m_PreviewPane->SetImage(m_CorrectedPreview);
  if (redraw)
    m_PreviewPane->InvalWindow(nullptr, 0);
  SetCursorArrow();
}

bool LumivexWindow::RunFullCorrection(bool reapplyPreset)
{
  if (!HasImage())
    return true;
  WaitCursor();
  // The preset comes first, so that its Sub-Detail settings take part.
  bool engineDefaults = false;
  if (reapplyPreset) {
    if (ApplySelectedPreset())
      SetCurrentPreset(m_PresetMenu->GetItemName(m_PresetMenu->GetSelectedNum()));
    else
      engineDefaults = true;
  }
  // The image changes in place: a later preview makes its reduced copy anew.
  ForgetImageCopies();
  QVRect area(0, 0, m_CurrentImage->width, m_CurrentImage->height);
  const AdjustParams record = engineparams::EngineRecord(m_Settings);
  const bool corrected = Correct(m_CurrentImage, area, engineDefaults ? nullptr : &record, true, false);
  SetCursorArrow();
  return corrected;
}

bool LumivexWindow::ApplySelectedPreset()
{
  if (!m_PresetMenu || !m_ControlPanel)
    return false;
  const int32_t selected = m_PresetMenu->GetSelectedNum();
  const QVMenuItem* item = m_PresetMenu->GetItem(selected);
  const char* name = m_PresetMenu->GetItemName(selected);
  if (!item || item->IsSeparator() || !name || !*name)
    return false;
  return m_ControlPanel->ApplyPresetByName(name);
}

void LumivexWindow::SettingsFromControls()
{
  if (!m_ControlPanel)
    return;
  const auto value = [this](int32_t id, int32_t otherwise) {
    const QVSlider* slider = m_ControlPanel->GetSlider(id);
    return slider ? slider->GetValue() : otherwise;
  };
  for (const correctionsettings::Setting* setting : correctionsettings::kSliders) {
    // Without its slider the Tonal Range keeps its gamma, which need not be
    // one of the table's.
    if (setting->place == correctionsettings::Place::kTonalGamma && !m_ControlPanel->GetSlider(setting->control))
      continue;
    int32_t v = value(setting->control, SettingValue(*setting));
    // Sharpen: the larger of the slider and 2, at most 12, as its command
    // and the panel store it.
    if (setting->commandRange.Present())
      v = std::clamp(v, setting->commandRange.low, setting->commandRange.high);
    StoreSetting(*setting, v);
  }
  m_DespeckleOn = Checked(m_ControlPanel->GetDespeckleBox(), m_DespeckleOn);
  m_DescreenOn = Checked(m_ControlPanel->GetAntiMoireBox(), m_DescreenOn);
  m_SubDetailOn = static_cast<uint8_t>(Checked(m_ControlPanel->GetSubDetailBox(), m_SubDetailOn));
  if (const QVMenu* amount = m_ControlPanel->GetAmountMenu())
    m_SubDetailAmount = amount->GetSelectedNum() + 1;
}

int32_t LumivexWindow::SettingValue(const correctionsettings::Setting& setting) const
{
  using correctionsettings::Place;
  switch (setting.place) {
  case Place::kEngineRecord: return m_Settings.*setting.engineField;
  case Place::kTonalGamma: return FindGammaIndex(m_Settings.tonalGamma);
  case Place::kEnhance: return m_EnhanceOn;
  case Place::kSaturation: return m_Saturation;
  case Place::kBrightness: return m_Brightness;
  case Place::kRed: return m_Red;
  case Place::kGreen: return m_Green;
  case Place::kBlue: return m_Blue;
  case Place::kDespeckle: return m_DespeckleOn;
  case Place::kDescreen: return m_DescreenOn;
  case Place::kSubDetail: return m_SubDetailOn;
  case Place::kSubDetailAmount: return m_SubDetailAmount;
  case Place::kAutomatic: return m_AutomaticMode;
  }
  return 0;
}

void LumivexWindow::StoreSetting(const correctionsettings::Setting& setting, int32_t value)
{
  using correctionsettings::Place;
  switch (setting.place) {
  case Place::kEngineRecord: m_Settings.*setting.engineField = static_cast<int16_t>(value); break;
  case Place::kTonalGamma: m_Settings.tonalGamma = GammaForIndex(value); break;
  case Place::kEnhance: m_EnhanceOn = value != 0 ? 1 : 0; break;
  case Place::kSaturation: m_Saturation = value; break;
  case Place::kBrightness: m_Brightness = value; break;
  case Place::kRed: m_Red = value; break;
  case Place::kGreen: m_Green = value; break;
  case Place::kBlue: m_Blue = value; break;
  case Place::kDespeckle: m_DespeckleOn = value; break;
  case Place::kDescreen: m_DescreenOn = value; break;
  case Place::kSubDetail: m_SubDetailOn = static_cast<uint8_t>(value); break;
  case Place::kSubDetailAmount: m_SubDetailAmount = value; break;
  case Place::kAutomatic: m_AutomaticMode = value; break;
  }
}

void LumivexWindow::RefreshPreview() { RunPreviewCorrection(true, true); }

void LumivexWindow::ResetSettings()
{
  m_Settings.colorLevel = m_PanelDefaults.colour;
  m_Settings.contrastLevel = m_PanelDefaults.contrast;
  m_Settings.sharpenLevel = m_PanelDefaults.sharpen;
  m_Settings.noiseLevel = m_PanelDefaults.noise;
  m_Saturation = m_PanelDefaults.saturation;
  m_Brightness = m_PanelDefaults.brightness;
  m_Settings.tonalGamma = GammaForIndex(m_PanelDefaults.tonalRange);
  m_Red = m_Green = m_Blue = 0;
  m_DespeckleOn = m_DescreenOn = 0;
  m_SubDetailOn = 0;
  m_SubDetailAmount = 2;
  RunPreviewCorrection(true, true);
}

void LumivexWindow::SetEnhance(bool on)
{
  m_EnhanceOn = on ? 1 : 0;
  RunPreviewCorrection(true, true);
}

void LumivexWindow::SetSubDetail(bool on, int amount)
{
  m_SubDetailOn = on ? 1 : 0;
  m_SubDetailAmount = amount;
  RunPreviewCorrection(true, true);
}

void LumivexWindow::ApplyColorShift(QVImage* source, QVImage* target, QVRect& area)
{
  engineparams::ColorShift(source, target, area, m_Red, m_Green, m_Blue);
}

void LumivexWindow::ApplySaturationBrightness(QVImage* source, QVImage* target, QVRect& area)
{
  engineparams::SaturationBrightness(source, target, area, m_Saturation, m_Brightness);
}
