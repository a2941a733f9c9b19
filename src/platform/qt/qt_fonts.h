#pragma once

#include <memory>
#include <string>

#include <QFont>

#include "platform/fonts.h"

namespace vellicor::qt {

// A font whose size is given in the program's points, which on this desktop are
// device-independent pixels, so a 30-point font draws 30 pixels high.
class QtFont final : public Font {
 public:
  QtFont(double pointSize, FontWeight weight);
  double pointSize() const override { return pointSize_; }
  const QFont& font() const { return font_; }

 private:
  double pointSize_;
  QFont font_;
};

// Checklist: the system font is the desktop's default family (fontconfig
// supplies Hangul from a fallback such as Nanum); widths are Qt's advances.
class QtFonts final : public Fonts {
 public:
  std::shared_ptr<Font> systemFont(double pointSize, FontWeight weight) override;
  double measuredWidth(const std::string& text, const Font& font) override;

  // Whether any installed font covers Hangul; without one the badge, the menu
  // and Korean names show empty boxes.
  static bool coverKorean();
};

}  // namespace vellicor::qt
