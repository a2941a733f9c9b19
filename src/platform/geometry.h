#pragma once

namespace vellicor {

// Points as 64-bit floating point, in one global space: origin at the lower-left
// corner of the primary screen, y growing upwards.
struct Point {
  double x = 0;
  double y = 0;
};

struct Size {
  double width = 0;
  double height = 0;
};

struct Rect {
  Point origin;
  Size size;
};

inline bool operator==(Point a, Point b) {
  return a.x == b.x && a.y == b.y;
}
inline bool operator==(Size a, Size b) {
  return a.width == b.width && a.height == b.height;
}
inline bool operator==(const Rect& a, const Rect& b) {
  return a.origin == b.origin && a.size == b.size;
}

// A point on the minimum-x or minimum-y edge is inside; one on the maximum-x or
// maximum-y edge is outside.
inline bool contains(const Rect& r, Point p) {
  return p.x >= r.origin.x && p.x < r.origin.x + r.size.width && p.y >= r.origin.y &&
         p.y < r.origin.y + r.size.height;
}

inline double midX(const Rect& r) {
  return r.origin.x + r.size.width * 0.5;
}
inline double midY(const Rect& r) {
  return r.origin.y + r.size.height * 0.5;
}

}  // namespace vellicor
