#pragma once

#include "core/QDN_object.h"

// A rectangle of four coordinates, in the order the formats pass them.
struct QDN_rectangle {
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  bool operator==(const QDN_rectangle&) const = default;
};

// Screen data of a node or submodel: position, colours, font, border and the
// arc display flags. Colour and font numbers are stored and passed on unchanged.
class QDN_screenInfo : public QDN_object {
public:
  // Marks a field that was never set.
  static constexpr int kUnset = -2147483647;
  static constexpr unsigned kShowInArcs = 1;
  static constexpr unsigned kShowOutArcs = 2;

  QDN_rectangle position;
  int color = kUnset;
  int selection_color = kUnset;
  int font = kUnset;
  int font_color = kUnset;
  int border_thickness = kUnset;
  int border_color = kUnset;
  unsigned arc_flags = kShowInArcs | kShowOutArcs;

  // -567 when source is not ready.
  int CopyFrom(const QDN_screenInfo& source);
  // Takes the width and height from defaults where they are 0 and each colour,
  // font and border field where it is unset; the arc flags stay.
  int ApplyDefaults(const QDN_screenInfo& defaults);
  bool operator==(const QDN_screenInfo& other) const;
};
