#pragma once

// Renaming a tab without laying the whole window out again.
//
// A tab's new text changes the width its tab bar asks for. Qt then lays out
// every widget up to the window: each tab widget on the way repaints all it
// holds, so a window whose pages are tabs repaints entirely for a caption.
// Only the tab widget itself has anything to lay out when its minimum and
// maximum sizes stay, as a caption's width does not change them.

#include <QString>

class QTabWidget;

namespace korvel {

/// Sets the text of the tab at `index` (does nothing when it already has
/// it). The tab widget lays out its tab bar at once and repaints only the
/// row of tabs (all of it when its pages moved); its parent is asked to lay
/// it out again only when the tab widget's minimum or maximum size, its
/// size policy or the height it asks for changed. Meant for a tab widget
/// whose parent sizes it from those alone, as a splitter does: its width is
/// the parent's choice, not the caption's.
void SetTabCaption(QTabWidget& tabs, int index, const QString& text);

}  // namespace korvel
