#include "editors/colorswatch.h"

#include <QPainter>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

#include "colors/colorutils.h"

namespace korvel {

namespace {

int HexValue(QChar c) {
  const char16_t u = c.unicode();
  if (u >= '0' && u <= '9') return u - '0';
  if (u >= 'a' && u <= 'f') return u - 'a' + 10;
  if (u >= 'A' && u <= 'F') return u - 'A' + 10;
  return -1;
}

// #RGB, #RGBA, #RRGGBB, #RRGGBBAA, in the order CSS gives them (Qt's own
// reading takes eight digits as alpha first).
QColor FromHash(const QString& text) {
  const QString digits = text.mid(1);
  const qsizetype size = digits.size();
  if (size != 3 && size != 4 && size != 6 && size != 8) return {};
  const bool single = size <= 4;
  std::array<int, 4> channel = {0, 0, 0, 255};
  for (qsizetype i = 0; i < (single ? size : size / 2); ++i) {
    const int high = HexValue(digits[single ? i : 2 * i]);
    const int low = HexValue(digits[single ? i : 2 * i + 1]);
    if (high < 0 || low < 0) return {};
    channel[static_cast<std::size_t>(i)] = high * 16 + low;
  }
  return QColor(channel[0], channel[1], channel[2], channel[3]);
}

struct Number {
  double value = 0;
  bool percent = false;
};

std::optional<Number> ReadNumber(QString token, const QString& allowedUnit = {}) {
  Number number;
  if (token.endsWith(QLatin1Char('%'))) {
    number.percent = true;
    token.chop(1);
  } else if (!allowedUnit.isEmpty() && token.endsWith(allowedUnit, Qt::CaseInsensitive)) {
    token.chop(allowedUnit.size());
  }
  bool ok = false;
  number.value = token.toDouble(&ok);
  if (!ok) return std::nullopt;
  return number;
}

double Clamped(double value) { return std::clamp(value, 0.0, 1.0); }

// An alpha given as a fraction or a percentage; 1 when absent.
std::optional<double> ReadAlpha(const QStringList& arguments, qsizetype index) {
  if (arguments.size() <= index) return 1.0;
  const std::optional<Number> alpha = ReadNumber(arguments[index]);
  if (!alpha) return std::nullopt;
  return Clamped(alpha->percent ? alpha->value / 100 : alpha->value);
}

QColor FromFunction(const QString& name, const QStringList& arguments) {
  if (arguments.size() != 3 && arguments.size() != 4) return {};
  const std::optional<double> alpha = ReadAlpha(arguments, 3);
  if (!alpha) return {};
  if (name == QLatin1String("rgb") || name == QLatin1String("rgba")) {
    std::array<double, 3> channel{};
    for (std::size_t i = 0; i < 3; ++i) {
      const std::optional<Number> number = ReadNumber(arguments[static_cast<qsizetype>(i)]);
      if (!number) return {};
      channel[i] = Clamped(number->percent ? number->value / 100 : number->value / 255);
    }
    return QColor::fromRgbF(static_cast<float>(channel[0]), static_cast<float>(channel[1]),
                            static_cast<float>(channel[2]), static_cast<float>(*alpha));
  }
  if (name == QLatin1String("hsl") || name == QLatin1String("hsla")) {
    const std::optional<Number> hue = ReadNumber(arguments[0], QStringLiteral("deg"));
    const std::optional<Number> saturation = ReadNumber(arguments[1]);
    const std::optional<Number> lightness = ReadNumber(arguments[2]);
    if (!hue || hue->percent || !saturation || !lightness) return {};
    const double turns = std::fmod(std::fmod(hue->value, 360.0) + 360.0, 360.0) / 360.0;
    return QColor::fromHslF(static_cast<float>(turns), static_cast<float>(Clamped(saturation->value / 100)),
                            static_cast<float>(Clamped(lightness->value / 100)), static_cast<float>(*alpha));
  }
  return {};
}

}  // namespace

QColor SwatchColorOf(const QString& value) {
  const QString text = value.trimmed();
  if (text.isEmpty()) return {};
  if (text.startsWith(QLatin1Char('#'))) return FromHash(text);

  static const QRegularExpression function(QStringLiteral("^([a-zA-Z]+)\\((.*)\\)$"));
  if (const QRegularExpressionMatch match = function.match(text); match.hasMatch()) {
    static const QRegularExpression separators(QStringLiteral("[\\s,/]+"));
    QStringList arguments = match.captured(2).trimmed().split(separators, Qt::SkipEmptyParts);
    return FromFunction(match.captured(1).toLower(), arguments);
  }

  const std::string tableValue = ColorTable::Shared().ColorValueFromName(text.toStdString());
  if (!tableValue.empty()) return FromHash(QString::fromStdString(tableValue));
  // Names only: Qt would also read forms CSS does not have.
  static const QRegularExpression name(QStringLiteral("^[a-zA-Z]+$"));
  if (name.match(text).hasMatch()) {
    const QColor keyword = QColor::fromString(text.toLower());
    if (keyword.isValid()) return keyword;
  }
  return {};
}

QRect SwatchRect(const QRect& cell) {
  const int side = std::max(0, cell.height() - 4);
  return {cell.left() + 2, cell.top() + (cell.height() - side) / 2, side, side};
}

void PaintColorSwatch(QPainter& painter, const QRect& swatch, const QColor& colour) {
  if (!colour.isValid() || swatch.isEmpty()) return;
  painter.save();
  if (colour.alpha() < 255) {
    painter.fillRect(swatch, Qt::white);
    const int half = std::max(1, swatch.width() / 2);
    painter.fillRect(QRect(swatch.topLeft(), QSize(half, half)), QColor(204, 204, 204));
    painter.fillRect(QRect(swatch.topLeft() + QPoint(half, half), swatch.bottomRight()), QColor(204, 204, 204));
  }
  painter.fillRect(swatch, colour);
  painter.setPen(QColor(64, 64, 64));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(swatch.adjusted(0, 0, -1, -1));
  painter.restore();
}

}  // namespace korvel
