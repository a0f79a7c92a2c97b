#pragma once

// A static text control drawn the way dialog statics draw: word-wrapped inside its rectangle,
// tabs expanded to stops of eight average characters, "&" marking a mnemonic (not drawn).

#include <QColor>
#include <QString>
#include <QWidget>
#include <optional>

namespace gui {

class StaticText final : public QWidget {
 public:
  explicit StaticText(QWidget* parent);

  void SetText(const QString& text);
  const QString& Text() const { return text_; }
  void SetRightAligned(bool right_aligned);
  // None: the palette's text colour.
  void SetTextColor(std::optional<QColor> color);
  const std::optional<QColor>& TextColor() const { return color_; }
  bool IsRightAligned() const { return right_aligned_; }

  // The text as drawn: mnemonic markers removed, "&&" kept as "&".
  static QString WithoutMnemonics(const QString& text);
  // The text as laid out in `width` pixels: without mnemonic markers, line breaks as Qt's line
  // separators, and no tabs at the start of a wrapped line.
  static QString Arranged(const QString& text, const QFont& font, int width);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString text_;
  bool right_aligned_ = false;
  std::optional<QColor> color_;
};

}  // namespace gui
