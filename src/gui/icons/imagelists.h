#pragma once

// The program's two picture lists, drawn in code: the 19 × 19 pictures of
// the grids' check boxes and of the tool bars, and the 16 × 16 pictures of
// the rule tree. Nothing is read from disk.

#include <QList>
#include <QPixmap>

namespace korvel {

/// Indices into the list that MakeImageList returns. The grids draw
/// kImageCheckBox, kImageCheckBoxTicked and kImageDeleted for their check
/// boxes.
inline constexpr int kImageFolder = 0;
inline constexpr int kImageFolderOpen = 1;
inline constexpr int kImageCheckBox = 2;
inline constexpr int kImageCheckBoxTicked = 3;
inline constexpr int kImageDeleted = 4;
inline constexpr int kImageAdd = 5;
inline constexpr int kImageDelete = 6;
inline constexpr int kImageOk = 7;
inline constexpr int kImageSave = 8;
inline constexpr int kImageBrowser = 9;
inline constexpr int kImageEditor = 10;  // open in the text editor
inline constexpr int kImageLive = 11;    // live mode
inline constexpr int kImageBorder = 12;  // the border tool
inline constexpr int kImageCount = 13;
inline constexpr int kImageSize = 19;

/// Indices into the list that MakeTreeImageList returns.
inline constexpr int kTreeImageStylesheet = 0;
inline constexpr int kTreeImageVerbatim = 1;  // an at-rule kept as written
inline constexpr int kTreeImageGroup = 2;
inline constexpr int kTreeImageGroupOpen = 3;
inline constexpr int kTreeImageRule = 4;
inline constexpr int kTreeImageCount = 5;
inline constexpr int kTreeImageSize = 16;

/// The 13 pictures of 19 × 19 logical pixels, transparent outside the
/// drawing, rendered for the given device pixel ratio (2 gives 38 × 38
/// device pixels that paint crisply on a high-density screen).
[[nodiscard]] QList<QPixmap> MakeImageList(qreal devicePixelRatio = 1.0);
/// One picture of that list; a null pixmap for an index outside it.
[[nodiscard]] QPixmap ImageListPixmap(int index, qreal devicePixelRatio = 1.0);

/// The 5 pictures of 16 × 16 logical pixels of the rule tree.
[[nodiscard]] QList<QPixmap> MakeTreeImageList(qreal devicePixelRatio = 1.0);
/// One picture of that list; a null pixmap for an index outside it.
[[nodiscard]] QPixmap TreeImageListPixmap(int index, qreal devicePixelRatio = 1.0);

}  // namespace korvel
