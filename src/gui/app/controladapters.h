#pragma once

// Windows and panes as the settings file sees them: a name, a position and
// a size that can be read and restored.

#include <QPointer>
#include <QSplitter>
#include <QWidget>

#include "settings/settingscontrol.h"

namespace korvel {

/// A top-level window: its place on the screen and its size.
class WindowControl final : public SettingsControl {
 public:
  WindowControl(QWidget& window, std::string name) : window_(&window), name_(std::move(name)) {}
  [[nodiscard]] std::string Name() const override { return name_; }
  [[nodiscard]] int Left() const override { return window_->geometry().x(); }
  [[nodiscard]] int Top() const override { return window_->geometry().y(); }
  [[nodiscard]] int Width() const override { return window_->width(); }
  [[nodiscard]] int Height() const override { return window_->height(); }
  void SetBounds(int left, int top, int width, int height) override;
  void SetWidth(int width) override { window_->resize(width, window_->height()); }
  void SetHeight(int height) override { window_->resize(window_->width(), height); }

 private:
  QPointer<QWidget> window_;
  std::string name_;
};

/// A pane of a splitter: its size is the splitter's share for it, which the
/// neighbouring pane gives or takes.
class SplitterPaneControl final : public SettingsControl {
 public:
  SplitterPaneControl(QSplitter& splitter, int index, std::string name)
      : splitter_(&splitter), index_(index), name_(std::move(name)) {}
  [[nodiscard]] std::string Name() const override { return name_; }
  [[nodiscard]] int Left() const override { return Pane()->x(); }
  [[nodiscard]] int Top() const override { return Pane()->y(); }
  [[nodiscard]] int Width() const override { return Pane()->width(); }
  [[nodiscard]] int Height() const override { return Pane()->height(); }
  void SetBounds(int, int, int width, int height) override;
  void SetWidth(int width) override;
  void SetHeight(int height) override;

 private:
  [[nodiscard]] QWidget* Pane() const { return splitter_->widget(index_); }
  void SetShare(int size);

  QPointer<QSplitter> splitter_;
  int index_;
  std::string name_;
};

}  // namespace korvel
