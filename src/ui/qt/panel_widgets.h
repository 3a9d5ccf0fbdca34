// The two widgets of the panel that Qt has no ready-made class for: the progress swatch and
// the message list with Win32-style tab stops.
#pragma once

#include <QColor>
#include <QListWidget>
#include <QWidget>

namespace brimsel::qt {

// The owner-drawn swatch: its stored colour with a one-pixel black outline. Every paint uses
// the stored colour, so it survives being covered, uncovered, minimised and restored.
class ProgressSwatch final : public QWidget {
  Q_OBJECT
 public:
  explicit ProgressSwatch(QWidget* parent);
  QColor Colour() const { return colour_; }
  void SetColour(QColor colour) { colour_ = colour; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor colour_{0, 255, 0};
};

// The message list: extended selection, lines in the order added, tabs expanded at the
// list box's default stops (every 32 dialog units).
class MessageList final : public QListWidget {
  Q_OBJECT
 public:
  MessageList(QWidget* parent, int tabStopPixels);
  int TabStopPixels() const { return tabStop_; }

 private:
  int tabStop_;
};

}  // namespace brimsel::qt
