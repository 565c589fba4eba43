#include "network/QDN_screenInfo.h"

#include <initializer_list>
#include <utility>

#include "core/QDN_status.h"

int QDN_screenInfo::CopyFrom(const QDN_screenInfo& source) {
  if (!source.IsReady()) return QDN_OBJECT_NOT_READY;
  position = source.position;
  color = source.color;
  selection_color = source.selection_color;
  font = source.font;
  font_color = source.font_color;
  border_thickness = source.border_thickness;
  border_color = source.border_color;
  arc_flags = source.arc_flags;
  return QDN_NO_ERROR;
}

int QDN_screenInfo::ApplyDefaults(const QDN_screenInfo& defaults) {
  if (!defaults.IsReady()) return QDN_OBJECT_NOT_READY;
  if (position.x1 == 0) position.x1 = defaults.position.x1;
  if (position.y1 == 0) position.y1 = defaults.position.y1;
  for (auto [field, value] :
       {std::pair{&color, defaults.color}, std::pair{&selection_color, defaults.selection_color},
        std::pair{&font, defaults.font}, std::pair{&font_color, defaults.font_color},
        std::pair{&border_thickness, defaults.border_thickness},
        std::pair{&border_color, defaults.border_color}}) {
    if (*field == kUnset) *field = value;
  }
  return QDN_NO_ERROR;
}

bool QDN_screenInfo::operator==(const QDN_screenInfo& other) const {
  return position == other.position && color == other.color &&
         selection_color == other.selection_color && font == other.font &&
         font_color == other.font_color && border_thickness == other.border_thickness &&
         border_color == other.border_color && arc_flags == other.arc_flags;
}
