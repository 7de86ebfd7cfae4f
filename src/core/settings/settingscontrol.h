#pragma once

// What the settings file needs to know of a window or pane whose place and
// size it keeps. The GUI adapts its windows and panels to this.

#include <string>

namespace korvel {

/// A window or pane as the settings file sees it: a name to store it under
/// and a rectangle in pixels.
class SettingsControl {
 public:
  virtual ~SettingsControl() = default;

  /// The component name the control is stored under ("MainForm", "TVInPanel").
  [[nodiscard]] virtual std::string Name() const = 0;
  /// For a window: its position as the window reports it and its outer size.
  [[nodiscard]] virtual int Left() const = 0;
  [[nodiscard]] virtual int Top() const = 0;
  [[nodiscard]] virtual int Width() const = 0;
  [[nodiscard]] virtual int Height() const = 0;

  /// Moves and sizes the control in one step.
  virtual void SetBounds(int left, int top, int width, int height) = 0;
  virtual void SetWidth(int width) = 0;
  virtual void SetHeight(int height) = 0;

 protected:
  SettingsControl() = default;
  SettingsControl(const SettingsControl&) = default;
  SettingsControl& operator=(const SettingsControl&) = default;
};

}  // namespace korvel
