#include "icons/imagelists.h"

#include <functional>

#include <QColor>
#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>
#include <QRadialGradient>

namespace korvel {

namespace {

// Coordinates are logical pixels. One-pixel outlines sit on half pixels so
// that they cover whole device pixels at ratio 1 and 2.

using Drawing = std::function<void(QPainter&)>;

QPixmap Render(int size, qreal devicePixelRatio, const Drawing& draw) {
  const int device = qRound(size * devicePixelRatio);
  QPixmap picture(device, device);
  picture.setDevicePixelRatio(devicePixelRatio);
  picture.fill(Qt::transparent);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  draw(painter);
  painter.end();
  return picture;
}

QPen Outline(const QColor& colour, qreal width = 1.0) {
  QPen pen(colour, width);
  pen.setJoinStyle(Qt::RoundJoin);
  pen.setCapStyle(Qt::RoundCap);
  return pen;
}

QLinearGradient Vertical(qreal top, qreal bottom, const QColor& from, const QColor& to) {
  QLinearGradient gradient(0, top, 0, bottom);
  gradient.setColorAt(0, from);
  gradient.setColorAt(1, to);
  return gradient;
}

// --- Shared shapes -----------------------------------------------------------

struct FolderShape {
  qreal left, right, top, shoulder, bottom, tabEnd, flapTop, flapSlant;
};

constexpr FolderShape kFolder19{2.5, 16.5, 3.5, 5.5, 15.5, 7.5, 8.5, 2.5};
constexpr FolderShape kFolder16{1.5, 14.5, 2.5, 4.5, 13.5, 6.0, 7.0, 2.0};

const QColor kFolderEdge(0x9c, 0x6b, 0x12);

void DrawFolder(QPainter& painter, const FolderShape& shape, bool open) {
  QPainterPath back;
  back.moveTo(shape.left, shape.top);
  back.lineTo(shape.tabEnd, shape.top);
  back.lineTo(shape.tabEnd + 1.5, shape.shoulder);
  back.lineTo(shape.right, shape.shoulder);
  back.lineTo(shape.right, shape.bottom);
  back.lineTo(shape.left, shape.bottom);
  back.closeSubpath();
  painter.setPen(Outline(kFolderEdge));
  const QColor backTop = open ? QColor(0xe3, 0xb0, 0x45) : QColor(0xf8, 0xd8, 0x78);
  const QColor backBottom = open ? QColor(0xc9, 0x8f, 0x25) : QColor(0xe6, 0xaa, 0x30);
  painter.setBrush(Vertical(shape.top, shape.bottom, backTop, backBottom));
  painter.drawPath(back);
  if (!open) {
    // A lighter lip under the tab reads as the front of the folder.
    painter.setPen(Outline(QColor(255, 240, 190), 1.0));
    painter.drawLine(QPointF(shape.left + 1, shape.shoulder + 1.5), QPointF(shape.right - 1, shape.shoulder + 1.5));
    return;
  }
  QPolygonF flap;
  flap << QPointF(shape.left + shape.flapSlant + 0.5, shape.flapTop) << QPointF(shape.right + 1.5, shape.flapTop)
       << QPointF(shape.right - shape.flapSlant + 1.0, shape.bottom) << QPointF(shape.left, shape.bottom);
  painter.setPen(Outline(kFolderEdge));
  painter.setBrush(Vertical(shape.flapTop, shape.bottom, QColor(0xfb, 0xe4, 0x98), QColor(0xf0, 0xc0, 0x50)));
  painter.drawPolygon(flap);
}

void DrawBox(QPainter& painter, const QColor& edge) {
  const QRectF box(3.5, 3.5, 12, 12);
  painter.setPen(Outline(edge));
  painter.setBrush(Vertical(box.top(), box.bottom(), Qt::white, QColor(0xe9, 0xed, 0xf2)));
  painter.drawRoundedRect(box, 2, 2);
}

void DrawPage(QPainter& painter) {
  QPainterPath page;
  page.moveTo(2.5, 1.5);
  page.lineTo(9.5, 1.5);
  page.lineTo(13.5, 5.5);
  page.lineTo(13.5, 14.5);
  page.lineTo(2.5, 14.5);
  page.closeSubpath();
  painter.setPen(Outline(QColor(0x5a, 0x62, 0x70)));
  painter.setBrush(Vertical(1.5, 14.5, Qt::white, QColor(0xee, 0xf1, 0xf5)));
  painter.drawPath(page);
  QPainterPath fold;
  fold.moveTo(9.5, 1.5);
  fold.lineTo(9.5, 5.5);
  fold.lineTo(13.5, 5.5);
  painter.setBrush(QColor(0xd5, 0xdb, 0xe3));
  painter.drawPath(fold);
}

void DrawCentredText(QPainter& painter, const QRectF& area, const QString& text, int pixelSize, const QColor& colour) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(pixelSize);
  font.setBold(true);
  painter.setFont(font);
  painter.setPen(colour);
  painter.drawText(area, Qt::AlignCenter, text);
}

// --- The 19 × 19 pictures -----------------------------------------------------

void DrawTick(QPainter& painter, const QPolygonF& stroke, qreal width) {
  painter.setPen(Outline(QColor(0x1e, 0x9a, 0x3a), width));
  painter.setBrush(Qt::NoBrush);
  painter.drawPolyline(stroke);
}

void DrawCheckBoxEmpty(QPainter& painter) { DrawBox(painter, QColor(0x55, 0x60, 0x6e)); }

void DrawCheckBoxTicked(QPainter& painter) {
  DrawBox(painter, QColor(0x55, 0x60, 0x6e));
  DrawTick(painter, QPolygonF({QPointF(6.0, 9.6), QPointF(8.6, 12.3), QPointF(13.2, 6.6)}), 2.2);
}

void DrawDeletedMark(QPainter& painter) {
  DrawBox(painter, QColor(0xa0, 0x6a, 0x6a));
  painter.setPen(Outline(QColor(0xd3, 0x20, 0x20), 2.4));
  painter.drawLine(QPointF(5.5, 5.5), QPointF(13.5, 13.5));
  painter.drawLine(QPointF(13.5, 5.5), QPointF(5.5, 13.5));
}

void DrawAdd(QPainter& painter) {
  painter.setPen(Outline(QColor(0x23, 0x70, 0x2f)));
  painter.setBrush(Vertical(2.5, 16.5, QColor(0x5c, 0xc8, 0x6a), QColor(0x2e, 0x8b, 0x3a)));
  painter.drawEllipse(QRectF(2.5, 2.5, 14, 14));
  painter.setPen(Outline(Qt::white, 2.2));
  painter.drawLine(QPointF(6.0, 9.5), QPointF(13.0, 9.5));
  painter.drawLine(QPointF(9.5, 6.0), QPointF(9.5, 13.0));
}

void DrawDelete(QPainter& painter) {
  const QColor edge(0x5a, 0x62, 0x70);
  painter.setPen(Outline(edge));
  painter.setBrush(QColor(0xd5, 0xdb, 0xe3));
  painter.drawRoundedRect(QRectF(7.5, 2.5, 4, 2), 0.8, 0.8);
  painter.drawRoundedRect(QRectF(3.5, 4.5, 12, 2), 0.8, 0.8);
  QPainterPath body;
  body.moveTo(4.5, 6.5);
  body.lineTo(14.5, 6.5);
  body.lineTo(13.5, 16.5);
  body.lineTo(5.5, 16.5);
  body.closeSubpath();
  painter.setBrush(Vertical(6.5, 16.5, QColor(0xf4, 0xf6, 0xf8), QColor(0xc9, 0xd0, 0xd9)));
  painter.drawPath(body);
  painter.setPen(Outline(QColor(0xc0, 0x39, 0x2b), 1.2));
  for (const qreal x : {7.5, 9.5, 11.5}) painter.drawLine(QPointF(x, 8.5), QPointF(x, 14.5));
}

void DrawOK(QPainter& painter) {
  DrawTick(painter, QPolygonF({QPointF(3.5, 10.0), QPointF(7.5, 14.0), QPointF(15.5, 4.5)}), 3.0);
}

void DrawSave(QPainter& painter) {
  const QColor body(0x3a, 0x6e, 0xa5);
  QPainterPath disk;
  disk.moveTo(2.5, 2.5);
  disk.lineTo(14.5, 2.5);
  disk.lineTo(16.5, 4.5);
  disk.lineTo(16.5, 16.5);
  disk.lineTo(2.5, 16.5);
  disk.closeSubpath();
  painter.setPen(Outline(QColor(0x24, 0x4a, 0x73)));
  painter.setBrush(Vertical(2.5, 16.5, QColor(0x5a, 0x8f, 0xc8), body));
  painter.drawPath(disk);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0xdc, 0xe2, 0xea));
  painter.drawRect(QRectF(5.5, 3.0, 7, 4.5));
  painter.setBrush(body);
  painter.drawRect(QRectF(10.0, 3.5, 1.5, 3));
  painter.setPen(Outline(QColor(0x24, 0x4a, 0x73)));
  painter.setBrush(Qt::white);
  painter.drawRect(QRectF(4.5, 10.5, 10, 6));
  painter.setPen(Outline(QColor(0xa8, 0xb4, 0xc4)));
  painter.drawLine(QPointF(6.5, 12.5), QPointF(12.5, 12.5));
  painter.drawLine(QPointF(6.5, 14.5), QPointF(12.5, 14.5));
}

void DrawBrowser(QPainter& painter) {
  const QRectF globe(2.5, 2.5, 14, 14);
  QRadialGradient sea(QPointF(7.5, 6.5), 11);
  sea.setColorAt(0, QColor(0x9c, 0xd0, 0xff));
  sea.setColorAt(1, QColor(0x23, 0x6b, 0xc2));
  painter.setPen(Outline(QColor(0x1d, 0x5a, 0xa0)));
  painter.setBrush(sea);
  painter.drawEllipse(globe);
  painter.setPen(Outline(QColor(255, 255, 255, 200), 0.9));
  painter.setBrush(Qt::NoBrush);
  painter.drawEllipse(QRectF(6.5, 2.5, 6, 14));
  painter.drawLine(QPointF(9.5, 2.5), QPointF(9.5, 16.5));
  painter.drawLine(QPointF(2.5, 9.5), QPointF(16.5, 9.5));
  painter.drawLine(QPointF(3.8, 6.0), QPointF(15.2, 6.0));
  painter.drawLine(QPointF(3.8, 13.0), QPointF(15.2, 13.0));
}

void DrawEditInTextEditor(QPainter& painter) {
  painter.translate(9.5, 9.5);
  painter.rotate(-45);
  const QColor edge(0x7a, 0x5c, 0x10);
  painter.setPen(Outline(edge, 0.9));
  painter.setBrush(QColor(0xe8, 0x8a, 0x9a));
  painter.drawRect(QRectF(-8.5, -2.2, 2.5, 4.4));
  painter.setBrush(QColor(0xb8, 0xbe, 0xc6));
  painter.drawRect(QRectF(-6.0, -2.2, 1.5, 4.4));
  painter.setBrush(Vertical(-2.2, 2.2, QColor(0xff, 0xd8, 0x5a), QColor(0xe0, 0xa8, 0x20)));
  painter.drawRect(QRectF(-4.5, -2.2, 8.5, 4.4));
  QPolygonF wood;
  wood << QPointF(4.0, -2.2) << QPointF(8.5, 0) << QPointF(4.0, 2.2);
  painter.setBrush(QColor(0xf0, 0xd2, 0xa8));
  painter.drawPolygon(wood);
  QPolygonF lead;
  lead << QPointF(7.0, -0.75) << QPointF(8.5, 0) << QPointF(7.0, 0.75);
  painter.setBrush(QColor(0x30, 0x30, 0x30));
  painter.setPen(Qt::NoPen);
  painter.drawPolygon(lead);
}

void DrawLiveMode(QPainter& painter) {
  QPolygonF bolt;
  bolt << QPointF(11.5, 1.5) << QPointF(4.0, 10.5) << QPointF(8.5, 10.5) << QPointF(6.5, 17.5) << QPointF(15.0, 7.5)
       << QPointF(10.5, 7.5) << QPointF(12.5, 1.5);
  painter.setPen(Outline(QColor(0xb0, 0x70, 0x10)));
  painter.setBrush(Vertical(1.5, 17.5, QColor(0xff, 0xe8, 0x6a), QColor(0xf5, 0xb0, 0x20)));
  painter.drawPolygon(bolt);
}

void DrawBorder(QPainter& painter) {
  // Dots on whole pixels: no antialiasing, one dark pixel in two.
  painter.setRenderHint(QPainter::Antialiasing, false);
  QPen dots(QColor(0x20, 0x20, 0x20), 1.0, Qt::CustomDashLine, Qt::FlatCap);
  dots.setDashPattern({1.0, 1.0});
  painter.setPen(dots);
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(QRectF(3.5, 3.5, 12, 12));
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0x3a, 0x6e, 0xa5, 70));
  painter.drawRect(QRectF(6, 6, 8, 8));
}

// --- The 16 × 16 pictures of the rule tree ------------------------------------

void DrawStylesheet(QPainter& painter) {
  DrawPage(painter);
  painter.setPen(Outline(QColor(0x3a, 0x6e, 0xa5), 1.0));
  for (const qreal y : {7.5, 9.5, 11.5}) painter.drawLine(QPointF(4.5, y), QPointF(11.5, y));
  painter.drawLine(QPointF(4.5, 5.5), QPointF(7.5, 5.5));
}

void DrawAtRule(QPainter& painter) {
  painter.setPen(Outline(QColor(0x5e, 0x35, 0xb1)));
  painter.setBrush(Vertical(1.5, 14.5, QColor(0x9a, 0x75, 0xdc), QColor(0x6a, 0x44, 0xb8)));
  painter.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 3, 3);
  DrawCentredText(painter, QRectF(1.5, 1.0, 13, 13), QStringLiteral("@"), 11, Qt::white);
}

void DrawRule(QPainter& painter) {
  DrawPage(painter);
  // Braces drawn as strokes: a font's are too thin at this size.
  QPolygonF left;
  left << QPointF(6.5, 6.5) << QPointF(5.5, 7.0) << QPointF(5.5, 9.2) << QPointF(4.3, 10.0) << QPointF(5.5, 10.8)
       << QPointF(5.5, 13.0) << QPointF(6.5, 13.5);
  QPolygonF right;
  for (const QPointF& point : left) right << QPointF(16.0 - point.x(), point.y());
  painter.setPen(Outline(QColor(0x2a, 0x5a, 0x92), 1.1));
  painter.setBrush(Qt::NoBrush);
  painter.drawPolyline(left);
  painter.drawPolyline(right);
}

QList<QPixmap> Collect(int count, qreal devicePixelRatio, QPixmap (*picture)(int, qreal)) {
  QList<QPixmap> pictures;
  pictures.reserve(count);
  for (int index = 0; index < count; ++index) pictures.append(picture(index, devicePixelRatio));
  return pictures;
}

}  // namespace

QPixmap ImageListPixmap(int index, qreal devicePixelRatio) {
  static const Drawing drawings[kImageCount] = {
      [](QPainter& painter) { DrawFolder(painter, kFolder19, false); },
      [](QPainter& painter) { DrawFolder(painter, kFolder19, true); },
      DrawCheckBoxEmpty,
      DrawCheckBoxTicked,
      DrawDeletedMark,
      DrawAdd,
      DrawDelete,
      DrawOK,
      DrawSave,
      DrawBrowser,
      DrawEditInTextEditor,
      DrawLiveMode,
      DrawBorder,
  };
  if (index < 0 || index >= kImageCount) return {};
  return Render(kImageSize, devicePixelRatio, drawings[index]);
}

QList<QPixmap> MakeImageList(qreal devicePixelRatio) {
  return Collect(kImageCount, devicePixelRatio, ImageListPixmap);
}

QPixmap TreeImageListPixmap(int index, qreal devicePixelRatio) {
  static const Drawing drawings[kTreeImageCount] = {
      DrawStylesheet,
      DrawAtRule,
      [](QPainter& painter) { DrawFolder(painter, kFolder16, false); },
      [](QPainter& painter) { DrawFolder(painter, kFolder16, true); },
      DrawRule,
  };
  if (index < 0 || index >= kTreeImageCount) return {};
  return Render(kTreeImageSize, devicePixelRatio, drawings[index]);
}

QList<QPixmap> MakeTreeImageList(qreal devicePixelRatio) {
  return Collect(kTreeImageCount, devicePixelRatio, TreeImageListPixmap);
}

}  // namespace korvel
