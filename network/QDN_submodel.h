#pragma once

#include <string>
#include <vector>

#include "core/QDN_object.h"
#include "network/QDN_header.h"
#include "network/QDN_screenInfo.h"

// A text box shown in a submodel's view.
struct QDN_screenComment {
  std::string text;
  QDN_rectangle position;
};

// A group of nodes shown together; submodels form a tree under the main one.
class QDN_submodel : public QDN_object {
public:
  QDN_header header;
  QDN_screenInfo screen;
  QDN_rectangle window_position;
  int background_color = QDN_screenInfo::kUnset;
  std::vector<QDN_screenComment> screen_comments;
};
