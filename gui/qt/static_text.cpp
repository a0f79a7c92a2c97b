#include "gui/qt/static_text.h"

#include "gui/qt/dialog_units.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTextLayout>
#include <QTextOption>

namespace gui {

namespace {

constexpr int kCharactersPerTabStop = 8;

}  // namespace

StaticText::StaticText(QWidget* parent) : QWidget(parent) {}

void StaticText::SetText(const QString& text) {
  if (text_ != text) {
    text_ = text;
    update();
  }
}

void StaticText::SetRightAligned(bool right_aligned) {
  right_aligned_ = right_aligned;
  update();
}

void StaticText::SetTextColor(std::optional<QColor> color) {
  if (color_ != color) {
    color_ = color;
    update();
  }
}

QString StaticText::WithoutMnemonics(const QString& text) {
  QString shown;
  shown.reserve(text.size());
  for (qsizetype index = 0; index < text.size(); ++index) {
    if (text[index] == QLatin1Char('&')) {
      ++index;  // "&x" shows x, "&&" shows one "&"
      if (index == text.size()) {
        break;
      }
    }
    shown += text[index];
  }
  return shown;
}

namespace {

QTextOption StaticTextOption(const QFont& font, bool right_aligned) {
  QTextOption option(right_aligned ? Qt::AlignRight : Qt::AlignLeft);
  option.setWrapMode(QTextOption::WordWrap);
  option.setTabStopDistance(QFontMetrics(font).averageCharWidth() * kCharactersPerTabStop);
  return option;
}

// Lines follow each other at the font's whole-pixel height, as dialog statics space them.
void LayOutLines(QTextLayout& layout, int width, int line_height) {
  layout.beginLayout();
  int top = 0;
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLineWidth(width);
    line.setPosition(QPointF(0, top));
    top += line_height;
  }
  layout.endLayout();
}

// The first tab of a line that begins where the text was wrapped, or -1.
qsizetype TabAfterWrap(const QTextLayout& layout, const QString& text) {
  for (int index = 1; index < layout.lineCount(); ++index) {
    const qsizetype start = layout.lineAt(index).textStart();
    if (start < text.size() && text[start] == QLatin1Char('\t') &&
        text[start - 1] != QChar::LineSeparator) {
      return start;
    }
  }
  return -1;
}

}  // namespace

QString StaticText::Arranged(const QString& text, const QFont& font, int width) {
  QString arranged = WithoutMnemonics(text);
  arranged.replace(QLatin1Char('\n'), QChar::LineSeparator);
  // Tabs where a line is wrapped belong to the break, as blanks do: the next line starts after
  // them (the blanks that follow still indent it).
  for (;;) {
    QTextLayout layout(arranged, font);
    layout.setTextOption(StaticTextOption(font, false));
    LayOutLines(layout, width, CharacterHeight(font));
    qsizetype tab = TabAfterWrap(layout, arranged);
    if (tab < 0) {
      return arranged;
    }
    while (tab < arranged.size() && arranged[tab] == QLatin1Char('\t')) {
      arranged.remove(tab, 1);
    }
  }
}

void StaticText::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  const QPalette::ColorGroup group = isEnabled() ? QPalette::Active : QPalette::Disabled;
  painter.setPen(color_ && isEnabled() ? *color_ : palette().color(group, QPalette::WindowText));
  painter.setClipRect(rect());
  QTextLayout layout(Arranged(text_, font(), width()), font());
  layout.setTextOption(StaticTextOption(font(), right_aligned_));
  LayOutLines(layout, width(), CharacterHeight(font()));
  layout.draw(&painter, QPointF(0, 0));
}

}  // namespace gui
